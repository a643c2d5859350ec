// Record fields of form objects: input fields (inputStat, inputDin), buttons
// (bottoneCGI) and form starts (inizioForm). The state byte is the subkind:
// the control type of a field, the action of a button, the send mode of a form.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/zebtypes.h"

class TZEBoggetto;

namespace formrec {

// Record offsets.
constexpr int Name = 17;            // string[79] (fields, buttons)
constexpr int Address = 17;         // string[255] (form start)
constexpr int SizeChars = 97;       // byte
constexpr int MemoRows = 98;        // byte
constexpr int MemoCols = 99;        // byte
constexpr int ShowInitial = 100;    // byte, 1 = initial value shown
constexpr int Checked = 101;        // byte, non-zero = initially checked
constexpr int MultiSelect = 102;    // byte, non-zero
constexpr int StoredValue = 112;    // string[71]
constexpr int ButtonValue = 97;     // string[79], value sent and caption
constexpr int ButtonPicture = 177;  // int32, immagine index, -1 none
constexpr int ButtonLink = 181;     // int32, link target object id, -1 none
constexpr int ButtonSyncW = 186, ButtonSyncH = 188, ButtonDispW = 190, ButtonDispH = 192;  // int16

// Field subkinds (inputStat) that matter to submission.
enum TFieldKind : uint8_t {
  fkEdit = 1, fkPassword = 2, fkEdit3 = 3, fkMemo = 4, fkHidden = 5, fkRadio = 6, fkCheck = 7,
  fkList = 8, fkCombo = 9, fkFloating = 18,
};
// Button actions.
enum class TButtonAction : uint8_t { Submit1 = 1, Submit2 = 2, Reset = 3, Clear = 4 };
// Send modes of a form start.
enum class TSendMode : uint8_t { Web = 1, Http = 2, Nothing = 3, Email = 4, TextFile = 5 };

struct TChoice {
  std::string caption, value;
};

// What a field shows and sends, by the control its kind and subkind make.
enum class TControl { None, Edit, Memo, List, Combo, Check, Radio, Hidden };
TControl ControlOf(int kind, int subkind);

bool IsFormField(int kind);  // inputStat or inputDin

std::string FieldName(const TZEBoggetto& o);
std::string StoredValueOf(const TZEBoggetto& o);
std::string FormAddress(const TZEBoggetto& formStart);
std::string ButtonCaption(const TZEBoggetto& button);
TObjId ButtonLinkId(const TZEBoggetto& button);
int32_t ButtonPictureIndex(const TZEBoggetto& button);

// The choice list of a list or combo box: three lines per choice (caption,
// value, "0"), each ending in CR LF. A last choice cut short keeps what it has;
// at most kMaxChoices are read.
constexpr size_t kMaxChoices = 10000;
std::vector<TChoice> ParseChoices(const std::string& payload);
std::vector<TChoice> Choices(const TZEBoggetto& field);
// The memo's initial lines (the main payload up to a 0 byte).
std::string MemoText(const TZEBoggetto& field);

}  // namespace formrec
