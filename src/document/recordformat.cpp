#include "document/recordformat.h"

#include "document/strutil.h"
#include "document/zebobject.h"

PayloadFields FieldsOf(int kind) {
  switch (kind) {
    case testoHtml: return {185, false, 239, 243};
    case zipLink: case genLink: case mappaFrame: return {85, false, -1, -1};
    case immagine: case mappaClic: return {174, false, -1, -1};
    case tabellaHtml: return {85, true, 58, 62};
    case speclink: return {5, false, 39, 43};
    case shortObj: return {13, false, 20, 24};
    case custom: return {13, false, 72, 76};
    case dbloc: return {13, false, 38, 42};
    case immagineNew: return {-1, false, 61, 65};
    case inputStat: return {13, false, 184, 188};
    case inputDin: return {13, false, 452, 456};
    case bottoneCGI: return {-1, false, 195, 199};
    case inizioForm: return {-1, false, 356, 360};
    case multiMedia: return {13, false, 38, 42};
    default: return {};
  }
}

bool FileBacked(int kind) {
  return kind == zipLink || kind == genLink || kind == immagine || kind == mappaClic;
}

void UpgradeRecord(TZEBoggetto& o, int recSize, int32_t rev) {
  TRecord& r = o.Rec();
  switch (o.Kind()) {
    case testoHtml:
      if (recSize <= 242) {
        r.SetI16(191, 1040);
        r.SetByte(195, 1);
        r.SetI32(196, rev - 1);
        r.SetByte(200, 0);
        r.SetI16(221, 5);
        for (int off : {223, 227, 231, 235}) r.SetI32(off, -1);
        r.SetByte(194, 0);
      }
      break;
    case internetLink: {
      uint8_t st = r.Byte(4);
      if (st < 5 || st > 8) {
        std::string target = r.Str(5, 127);
        if (str::StartsWith(target, "lumo:")) r.SetByte(4, 6);
        else if (str::StartsWithNoCase(target, "http:")) r.SetByte(4, 7);
        else if (str::StartsWithNoCase(target, "mailto:")) r.SetByte(4, 8);
      }
      break;
    }
    case zipLink:
    case genLink:
      if (recSize <= 92) {
        r.SetI32(89, rev - 1);
        if (r.Byte(5) > 78) r.SetByte(5, 78);
      }
      break;
    case immagine:
    case mappaClic:
      if (recSize <= 666) {
        if (o.Kind() == immagine && r.Byte(94) == 0) o.needsInit = true;
        if (r.Byte(94) > 75) r.SetByte(94, 75);
        if (o.Kind() == immagine) {
          r.SetI32(662, -1);
          r.SetByte(666, 0);
          r.SetI32(77, rev - 1);
        }
      }
      break;
    case tabellaHtml:
      if (recSize <= 219) {
        r.SetByte(219, 1);
        r.SetI16(56, 300);
        uint8_t widths[50];
        for (int i = 0; i < 50; ++i) widths[i] = r.Byte(97 + i);
        r.Fill(5, 50, 0);
        for (int i = 0; i < 50; ++i) r.SetI16(97 + 2 * i, widths[i]);
        r.SetByte(55, 1);
      }
      break;
    case bottoneCGI:
      if (recSize < 195) r.SetI16(186, -1);
      break;
    case multiMedia: {
      uint8_t st = r.Byte(4);
      if (st != 5 && st != 6) {
        int32_t id = r.I32(17);
        if (id != -1) r.SetI32(17, id | 0x03000000);
      }
      break;
    }
    default:
      break;
  }
}
