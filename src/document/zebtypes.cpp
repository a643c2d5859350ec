#include "document/zebtypes.h"

#include "document/strutil.h"

namespace {
const char* const kNames[KindCount] = {
    "testoHtml",  "internetLink", "zipLink",     "genLink",        "keyword",   "immagine",
    "mappaClic",  "programma",    "tabellaHtml", "mappaFrame",     "speclink",  "shortObj",
    "custom",     "dbloc",        "spazio4",     "spazio5",        "immagineNew", "stileParagrafo",
    "fontFace",   "formato",      "inputStat",   "inputDin",       "bottoneCGI", "inizioForm",
    "multiMedia", "none",         "testoHtmlRtf"};
}

const char* KindName(int kind) { return kind >= 0 && kind < KindCount ? kNames[kind] : ""; }

int KindFromName(std::string_view name) {
  for (int k = 0; k < KindCount; ++k)
    if (str::EqualsNoCase(name, kNames[k])) return k;
  return -1;
}
