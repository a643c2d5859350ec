// zebtool build: makes a ZEB ebook from a JSON manifest (docs/manifest.md).
#pragma once

#include <string>

// Returns the exit status: 0 when the ebook was written to outPath, 1 after
// printing one line "Errore!: <text>" on standard error.
int RunBuild(const std::string& manifestPath, const std::string& outPath);
