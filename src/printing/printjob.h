// The one path every print command takes: a list of pages, the options and
// the page setup, into one or several printer documents.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "printing/zebpagep.h"

class TSettings;
class TPageSetupDialog;
class TZEBset;

// What the reader says when a printer cannot be reached.
std::string NoPrinterText();

// The print options as the settings store keeps them.
TPrintOptions ReadPrintOptions(TSettings& settings);
// Takes "printasblack=1", "printsf=1", "printsft=0", "printscale=5000"; false
// for an unknown name or a bad value.
bool SetPrintOption(TPrintOptions& options, const std::string& assignment);

// Pages in the order of the contents tree (every live page in table order
// when the ebook has no tree of its own).
std::vector<int> DefaultPrintOrder(TZEBset& doc);

struct TPrintRequest {
  std::vector<int> pages;   // page indices, in print order
  TPrintOptions options;
  bool allInOne = false;    // one printer document for all pages
  std::function<void(int done, int total)> progress;
};

// Prints the pages. An index that names no page is skipped. On failure the
// printer job is aborted (a PDF file written so far is removed) and the
// message is returned; empty on success. `unreachable` tells a printer that
// would not take the job from a page that could not be printed.
std::string PrintPages(TZEBset& doc, TPageSetupDialog& setup, const TPrintRequest& request,
                       bool* unreachable = nullptr);

// The message for a failed job as the user sees it.
std::string PrintFailureText(const std::string& error, bool unreachable);
