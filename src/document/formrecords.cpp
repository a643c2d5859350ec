#include "document/formrecords.h"

#include "document/zebobject.h"

namespace formrec {

bool IsFormField(int kind) { return kind == inputStat || kind == inputDin; }

TControl ControlOf(int kind, int subkind) {
  if (kind == inputStat) {
    switch (subkind) {
      case fkEdit: case fkPassword: case fkEdit3: return TControl::Edit;
      case fkMemo: return TControl::Memo;
      case fkHidden: return TControl::Hidden;
      case fkRadio: return TControl::Radio;
      case fkCheck: return TControl::Check;
      case fkList: return TControl::List;
      case fkCombo: return TControl::Combo;
      default: return TControl::None;
    }
  }
  if (kind == inputDin) {
    switch (subkind) {
      case 2: return TControl::Memo;
      case 6: return TControl::List;
      case 7: return TControl::Combo;
      default: return TControl::None;
    }
  }
  return TControl::None;
}

std::string FieldName(const TZEBoggetto& o) { return o.Rec().Str(Name, 79); }
std::string StoredValueOf(const TZEBoggetto& o) {
  return o.Kind() == bottoneCGI ? o.Rec().Str(ButtonValue, 79) : o.Rec().Str(StoredValue, 71);
}
std::string FormAddress(const TZEBoggetto& formStart) { return formStart.Rec().Str(Address, 255); }
std::string ButtonCaption(const TZEBoggetto& button) { return button.Rec().Str(ButtonValue, 79); }
TObjId ButtonLinkId(const TZEBoggetto& button) { return button.Rec().I32(ButtonLink); }
int32_t ButtonPictureIndex(const TZEBoggetto& button) { return button.Rec().I32(ButtonPicture); }

std::vector<TChoice> ParseChoices(const std::string& payload) {
  std::vector<TChoice> out;
  std::string_view rest(payload);
  if (size_t nul = rest.find('\0'); nul != std::string_view::npos) rest = rest.substr(0, nul);
  auto nextLine = [&](std::string& line) {
    if (rest.empty()) return false;
    size_t e = rest.find_first_of("\r\n");
    line.assign(rest.substr(0, e));
    if (e == std::string_view::npos) {
      rest = {};
    } else {
      rest.remove_prefix(e);
      if (rest.size() >= 2 && rest[0] == '\r' && rest[1] == '\n') rest.remove_prefix(2);
      else rest.remove_prefix(1);
    }
    return true;
  };
  std::string caption, value, flag;
  while (out.size() < kMaxChoices && nextLine(caption)) {
    TChoice c{caption, {}};
    if (nextLine(value)) c.value = value;
    nextLine(flag);
    out.push_back(std::move(c));
  }
  return out;
}

std::vector<TChoice> Choices(const TZEBoggetto& field) { return ParseChoices(field.MainPayload()); }

std::string MemoText(const TZEBoggetto& field) {
  std::string t = field.MainPayload();
  if (size_t nul = t.find('\0'); nul != std::string::npos) t.resize(nul);
  return t;
}

}  // namespace formrec
