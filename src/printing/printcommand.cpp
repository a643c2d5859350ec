#include "printing/printcommand.h"

#include <QFile>
#include <QPageSize>
#include <cstdio>
#include <cstdlib>

#include "document/zebset.h"
#include "platform/settings.h"
#include "platform/system.h"
#include "printing/pagesetup.h"
#include "printing/printjob.h"

namespace {
struct TPrintArgs {
  std::string file, out;
  std::vector<int> pages;
  bool all = false, pagesGiven = false;
  TPrintOptions options;
  std::vector<std::string> assignments;
};

int Usage() {
  std::fprintf(stderr,
               "uso: lectra --print FILE [--pages I,J,K | --all] [--option NOME=VALORE]... --out OUT.pdf\n");
  return 2;
}

bool ParsePages(const std::string& list, std::vector<int>& pages) {
  size_t at = 0;
  while (at <= list.size()) {
    const size_t comma = std::min(list.find(',', at), list.size());
    const std::string item = list.substr(at, comma - at);
    char* end = nullptr;
    const long v = std::strtol(item.c_str(), &end, 10);
    if (item.empty() || *end || v < 0 || v > 0xFFFFFF) return false;
    pages.push_back(static_cast<int>(v));
    at = comma + 1;
  }
  return !pages.empty();
}

bool Parse(const std::vector<std::string>& args, TPrintArgs& a) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& k = args[i];
    const bool hasValue = i + 1 < args.size();
    if (k == "--print" && hasValue) a.file = args[++i];
    else if (k == "--out" && hasValue) a.out = args[++i];
    else if (k == "--pages" && hasValue && !a.pagesGiven) a.pagesGiven = ParsePages(args[++i], a.pages);
    else if (k == "--all") a.all = true;
    else if (k == "--option" && hasValue) a.assignments.push_back(args[++i]);
    else return false;
    if (k == "--pages" && !a.pagesGiven) return false;
  }
  return !a.file.empty() && !a.out.empty() && !(a.all && a.pagesGiven);
}

int Fail(const std::string& text) {
  std::fprintf(stderr, "Errore!: %s\n", text.c_str());
  return 1;
}
}  // namespace

int RunPrintCommand(const std::vector<std::string>& args) {
  TPrintArgs a;
  if (!Parse(args, a)) return Usage();
  TConsoleSink sink;
  TPosixSystem system;
  TIniSettings store;
  TSettings settings(store);
  a.options = ReadPrintOptions(settings);
  for (const std::string& s : a.assignments)
    if (!SetPrintOption(a.options, s)) return Fail("opzione di stampa non valida: " + s);
  TZEBset doc(TServices{&sink, &store, &system});
  if (!doc.Open(a.file)) return 1;
  if (doc.Count(testoHtml) == 0) return Fail("Errore nella lettura file: " + a.file);
  std::vector<int> pages = a.all ? DefaultPrintOrder(doc) : a.pagesGiven ? a.pages : std::vector<int>{doc.CoverPage()};
  for (int p : pages) {
    TZEBtesto* page = doc.Page(p);
    if (!page || page->IsDeleted()) return Fail("la pagina " + std::to_string(p) + " non esiste");
  }
  if (pages.empty()) return Fail("nessuna pagina da stampare");
  QFile probe(QString::fromStdString(a.out));
  const bool existed = probe.exists();
  if (!probe.open(QIODevice::WriteOnly | QIODevice::Append)) return Fail("impossibile scrivere " + a.out);
  probe.close();
  if (!existed) probe.remove();

  TPageSetupDialog setup(&store);
  setup.SetRegString("\\Software\\Norv\\printerProfiles");
  setup.Printer().setPageSize(QPageSize(QPageSize::A4));
  for (auto set : {&TPageSetupDialog::SetMarginLeft, &TPageSetupDialog::SetMarginTop,
                   &TPageSetupDialog::SetMarginRight, &TPageSetupDialog::SetMarginBottom})
    (setup.*set)(1000);
  setup.LoadProfile("PrinterSettings1");
  setup.SetPdfOutput(a.out);
  TPrintRequest request;
  request.pages = pages;
  request.options = a.options;
  request.allInOne = true;
  const std::string error = PrintPages(doc, setup, request);
  if (!error.empty()) return Fail("stampa non riuscita: " + error);
  return 0;
}
