#include "printing/printjob.h"

#include <QFile>
#include <algorithm>
#include <memory>
#include <cstdlib>
#include <sstream>

#include "document/zebobject.h"
#include "document/zebset.h"
#include "platform/settings.h"
#include "printing/pagesetup.h"

std::string NoPrinterText() {
  return "Nessuna stampante raggiungibile in Linux.\rUscire dal programma ed usare le impostazioni di stampa del "
         "sistema (CUPS, http://localhost:631/) per installare una stampante (anche inesistente e/o non collegata).";
}

TPrintOptions ReadPrintOptions(TSettings& settings) {
  TPrintOptions o;
  o.black = settings.ReadOption("printasblack") == "1";
  o.backgrounds = settings.ReadOption("printsf") == "1";
  const std::string t = settings.ReadOption("printsft");
  o.tableBackgrounds = t.empty() || t == "notfound" || t == "1";
  o.scale = settings.ReadOptionNum("printscale", 2500);
  if (o.scale < 20 || o.scale > 20000) o.scale = 2500;
  return o;
}

bool SetPrintOption(TPrintOptions& o, const std::string& assignment) {
  const size_t eq = assignment.find('=');
  if (eq == std::string::npos) return false;
  const std::string name = assignment.substr(0, eq), value = assignment.substr(eq + 1);
  if (name == "printscale") {
    char* end = nullptr;
    const long v = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end || v < 20 || v > 20000) return false;
    o.scale = static_cast<int>(v);
    return true;
  }
  if (value != "0" && value != "1") return false;
  const bool on = value == "1";
  if (name == "printasblack") o.black = on;
  else if (name == "printsf") o.backgrounds = on;
  else if (name == "printsft") o.tableBackgrounds = on;
  else return false;
  return true;
}

std::vector<int> DefaultPrintOrder(TZEBset& doc) {
  std::vector<int> pages;
  TZEBoggetto* tree = doc.ContentsTreeObject();
  const std::string stream = tree ? tree->MainPayload() : std::string();
  auto live = [&](int i) {
    TZEBtesto* p = doc.Page(i);
    return p && !p->IsDeleted();
  };
  if (stream.empty()) {
    for (int i = 0; i < doc.Count(testoHtml); ++i)
      if (live(i)) pages.push_back(i);
    return pages;
  }
  std::istringstream in(stream);
  std::string line;
  while (std::getline(in, line)) {
    // "a" level "," number "," text; a page node's number is its object id.
    const size_t c1 = line.find(',');
    if (line.empty() || line[0] != 'a' || c1 == std::string::npos) continue;
    const long long id = std::strtoll(line.c_str() + c1 + 1, nullptr, 10);
    if (id < 0 || id > 0xFFFFFFFFLL || (id >> 24) != testoHtml) continue;
    const int index = static_cast<int>(id & 0xFFFFFF);
    if (live(index) && std::find(pages.begin(), pages.end(), index) == pages.end()) pages.push_back(index);
  }
  return pages;
}

namespace {
// Prints one page as a job of its own; a page that is not there prints nothing.
void PrintOne(TZEBset& doc, TPageSetupDialog& setup, const TPrintOptions& o, int index, TPrintDocument& out) {
  TZEBtesto* page = index >= 0 && index < 0x1000000 ? doc.Page(index) : nullptr;
  if (!page || page->IsDeleted()) return;
  TZEBpageP job(setup, o);
  job.PrintPage(page, out);
}
}  // namespace

std::string PrintFailureText(const std::string& error, bool unreachable) {
  return unreachable ? NoPrinterText() + " (" + error + ")" : "Stampa interrotta: " + error + ".";
}

std::string PrintPages(TZEBset& doc, TPageSetupDialog& setup, const TPrintRequest& request, bool* unreachable) {
  if (unreachable) *unreachable = false;
  // Documents printed one after the other into one file would each replace
  // the last: a file gets them all.
  const bool oneDocument = request.allInOne || setup.PdfOutput();
  const QString pdf = setup.PdfOutput() ? setup.Printer().outputFileName() : QString();
  setup.Recompute();
  int done = 0;
  std::unique_ptr<TPrintDocument> out;
  try {
    for (int index : request.pages) {
      if (!out) out = std::make_unique<TPrintDocument>(&setup.Printer());
      PrintOne(doc, setup, request.options, index, *out);
      if (!oneDocument && out->Started()) {
        out->End();
        out.reset();
      }
      if (request.progress) request.progress(++done, static_cast<int>(request.pages.size()));
    }
    if (out && out->Started()) out->End();
  } catch (const std::exception& e) {
    if (unreachable) *unreachable = dynamic_cast<const TPrinterUnreachable*>(&e) != nullptr;
    if (out) out->Abort();
    if (!pdf.isEmpty()) QFile::remove(pdf);
    return e.what();
  }
  return {};
}
