// Builds pages with forms for the tests: form starts, fields and buttons with
// the record fields the reader reads.
#pragma once

#include <cstdio>
#include <string>

#include "document/formsubmit.h"
#include "testutil.h"

// Builds form objects with the record fields the reader reads.
struct FormBook {
  TZebWriter w;
  std::string markup = "<Z S0 >";
  int placed = 0;

  // The id reference makes the page create the control; the marker places it.
  void Place(int kind, int index) {
    char ref[48];
    std::snprintf(ref, sizeof ref, "<$%08X><$FF%06X> ", unsigned(MakeId(kind, index)), ++placed);
    markup += ref;
  }
  int FormStart(int mode, const std::string& address) {
    auto r = w.NewRecord(inizioForm);
    r[4] = uint8_t(mode);
    PutPString(r.data() + formrec::Address, 255, address);
    int i = w.Add(inizioForm, r);
    Place(inizioForm, i);
    return i;
  }
  int Field(int subkind, const std::string& name, const std::string& value = "", bool showInitial = true,
            bool checked = false, const std::string& choices = "") {
    auto r = w.NewRecord(inputStat);
    r[4] = uint8_t(subkind);
    PutPString(r.data() + formrec::Name, 79, name);
    PutPString(r.data() + formrec::StoredValue, 71, value);
    r[formrec::ShowInitial] = showInitial ? 1 : 0;
    r[formrec::Checked] = checked ? 1 : 0;
    int i = w.Add(inputStat, r, std::vector<uint8_t>(choices.begin(), choices.end()));
    Place(inputStat, i);
    return i;
  }
  int Button(int action, const std::string& name, const std::string& value, TObjId link = NoObject) {
    auto r = w.NewRecord(bottoneCGI);
    r[4] = uint8_t(action);
    PutPString(r.data() + formrec::Name, 79, name);
    PutPString(r.data() + formrec::ButtonValue, 79, value);
    PutI32(r.data() + formrec::ButtonPicture, -1);
    PutI32(r.data() + formrec::ButtonLink, link);
    int i = w.Add(bottoneCGI, r);
    Place(bottoneCGI, i);
    return i;
  }
  std::string Save(ScratchDir& dir) {
    w.AddPage("Modulo", markup);
    std::string p = dir.File("modulo.zeb");
    w.Save(p);
    return p;
  }
};
