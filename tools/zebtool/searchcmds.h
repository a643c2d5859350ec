// zebtool commands over the contents tree, the keyword lists and the search:
// toc, keywords, search.
#pragma once

#include <string>

bool IsSearchCommand(const std::string& cmd);
// Returns the exit status (2 for a usage error, 1 when the ebook cannot be opened).
int RunSearchCommand(int argc, char** argv);
