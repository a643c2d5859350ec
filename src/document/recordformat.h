// How each kind's stored record is laid out: where its payload fields lie,
// and how records written by older versions are brought to today's layout.
#pragma once

#include <cstdint>

class TZEBoggetto;

struct PayloadFields {
  int mainSizeOff = -1;  // -1: no main payload
  bool mainSize16 = false;
  int attrPosOff = -1, attrSizeOff = -1;
};

PayloadFields FieldsOf(int kind);

// Kinds whose main payload stays in the file until it is extracted.
bool FileBacked(int kind);

// Fills the fields a record of `recSize` bytes from an older file lacks;
// `rev` is the document's revision.
void UpgradeRecord(TZEBoggetto& o, int recSize, int32_t rev);
