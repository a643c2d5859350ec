// zebtool fetch: downloads an address with the reader's own HTTP client.
#pragma once

#include <string>

// 0 when the final status was below 400 and OUT holds the body; 1 after one
// line "Errore!: <text>" on standard error, OUT untouched.
int RunFetch(const std::string& url, const std::string& outPath);
