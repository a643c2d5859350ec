#include "document/formsubmit.h"

#include "document/strutil.h"
#include "document/zebobject.h"

using namespace formrec;

TFieldModel::TFieldModel(const TZEBoggetto& obj)
    : obj_(obj), control_(ControlOf(obj.Kind(), obj.State())) {
  if (control_ == TControl::List || control_ == TControl::Combo) choices_ = Choices(obj);
  ResetValue();
}

std::string TFieldModel::GetValue() const {
  switch (control_) {
    case TControl::Edit:
    case TControl::Memo:
      return text_;
    case TControl::List:
      if (obj_.Rec().Byte(MultiSelect) != 0) return {};
      [[fallthrough]];
    case TControl::Combo:
      return selected_ >= 0 && size_t(selected_) < choices_.size() ? choices_[selected_].value : std::string();
    case TControl::Check:
    case TControl::Radio:
      return checked_ ? StoredValueOf(obj_) : std::string();
    case TControl::Hidden:
      return StoredValueOf(obj_);
    case TControl::None:
      break;
  }
  return obj_.Kind() == bottoneCGI ? StoredValueOf(obj_) : std::string();
}

void TFieldModel::ResetValue() {
  const bool showInitial = obj_.Rec().Byte(ShowInitial) == 1;
  text_.clear();
  if (control_ == TControl::Edit && showInitial) text_ = StoredValueOf(obj_);
  if (control_ == TControl::Memo && showInitial) text_ = MemoText(obj_);
  checked_ = obj_.Rec().Byte(formrec::Checked) != 0;
  selected_ = -1;
}

void TFieldModel::ClearValue() {
  if (control_ == TControl::Edit) text_.clear();
  if (control_ == TControl::Check || control_ == TControl::Radio) checked_ = false;
}

void TFieldModel::SetValue(const std::string& text) {
  if (control_ == TControl::Edit || control_ == TControl::Memo) text_ = text;
  if (control_ == TControl::Check || control_ == TControl::Radio) checked_ = str::Lower(text) == "checked";
}

void TFieldModel::Restore(const TFieldState& s) {
  text_ = s.text;
  checked_ = s.checked;
  Select(s.selected);
}

void TFieldModel::Select(int index) {
  selected_ = index >= 0 && size_t(index) < choices_.size() ? index : -1;
}

TFormRange FindForm(const std::vector<IFormItem*>& items, int button) {
  TFormRange r;
  r.end = int(items.size());
  for (int i = button - 1; i >= 0; --i)
    if (items[i]->FormObject().Kind() == inizioForm) {
      r.start = i;
      break;
    }
  for (int i = button + 1; i < int(items.size()); ++i)
    if (items[i]->FormObject().Kind() == inizioForm) {
      r.end = i;
      break;
    }
  return r;
}

namespace {

// Appends "name=" and the value as the send mode writes it; `tails` gives
// what follows the value in modes 1, 2, 4 and 5.
struct TTails {
  const char* web;
  const char* http;
  const char* mail;
  const char* file;
};

void AppendPair(std::string& t, int mode, const std::string& name, const std::string& value,
                bool lineEncodeMail, TTails tails) {
  t += name;
  t += '=';
  switch (mode) {
    case 1: t += str::UrlEncode(value); t += tails.web; break;
    case 2: t += str::UrlEncode(value); t += tails.http; break;
    case 4: t += lineEncodeMail ? str::LineEncode(value) : value; t += tails.mail; break;
    case 5: t += value; t += tails.file; break;
    default: break;
  }
}

}  // namespace

std::string BuildFormText(int mode, const std::vector<IFormItem*>& items, TFormRange range,
                          const IFormItem& button) {
  std::string t;
  for (int i = std::max(range.start, 0); i < range.end && i < int(items.size()); ++i) {
    const TZEBoggetto& o = items[i]->FormObject();
    if (o.Kind() != inputStat) continue;
    const int sub = o.State();
    const std::string name = FieldName(o);
    if (sub == fkHidden) {
      AppendPair(t, mode, name, StoredValueOf(o), false, {"&", "\r\n", "%0d", "\r\n"});
    } else if (sub == fkRadio || sub == fkCheck) {
      std::string v = items[i]->GetValue();
      if (!v.empty()) AppendPair(t, mode, name, v, false, {"&", "\r\n", "%0d", "\r\n"});
    } else if (sub < 10 || sub > 14) {
      AppendPair(t, mode, name, items[i]->GetValue(), true, {"&", "\r\n", "\r\n", "\r\n"});
    }
  }
  const std::string bname = FieldName(button.FormObject());
  if (!bname.empty())
    AppendPair(t, mode, bname, StoredValueOf(button.FormObject()), false, {"", "\r\n", "\r\n", "\r\n"});
  return t;
}

bool OpenableAddress(const std::string& address) {
  return str::StartsWithNoCase(address, "http://") || str::StartsWithNoCase(address, "https://") ||
         str::StartsWithNoCase(address, "mailto:");
}

const char* ActionName(TFormAction::Kind k) {
  static const char* const names[] = {"none", "open", "http", "email", "file", "reset", "clear", "link"};
  return names[k];
}

std::string FormFileText(const std::string& ebookName, const std::string& text) {
  return "Form from: (" + ebookName + ")\r\n--\xA7\xA7--\r\n" + text + "\r\n";
}


namespace {

// Hands T to the browser when it is an address it may open.
void OpenText(TFormAction& a) {
  if (a.text.empty()) {
    a.kind = TFormAction::None;
  } else if (OpenableAddress(a.text)) {
    a.kind = TFormAction::Open;
    a.address = a.text;
  } else {
    a.kind = TFormAction::None;
    a.refused = true;
  }
}

void Send(TFormAction& a, const std::string& address, const std::string& ebookName) {
  if (address.empty()) {
    if (a.mode == 3) a.text.clear();
    OpenText(a);
    return;
  }
  a.address = address;
  switch (a.mode) {
    case 1: a.text = address + "?" + a.text; OpenText(a); break;
    case 2: a.kind = TFormAction::Http; break;
    case 4: a.kind = TFormAction::Email; break;
    case 5: a.kind = TFormAction::File; a.fileText = FormFileText(ebookName, a.text); break;
    default: a.kind = TFormAction::None; break;
  }
}

}  // namespace

TFormAction PressFormButton(const std::vector<IFormItem*>& items, int button, const std::string& ebookName) {
  TFormAction a;
  if (button < 0 || button >= int(items.size())) return a;
  const TZEBoggetto& b = items[button]->FormObject();
  a.link = ButtonLinkId(b);
  if (a.link != NoObject) a.kind = TFormAction::Link;
  const int action = b.State();
  if (action < 1 || action > 4) return a;
  const TFormRange range = FindForm(items, button);
  if (range.start < 0) return a;
  const TZEBoggetto& form = items[range.start]->FormObject();
  a.mode = form.State();
  if (action == 3 || action == 4) {
    for (int i = range.start; i < range.end; ++i)
      action == 3 ? items[i]->ResetValue() : items[i]->ClearValue();
    a.kind = action == 3 ? TFormAction::Reset : TFormAction::Clear;
    return a;
  }
  a.text = BuildFormText(a.mode, items, range, *items[button]);
  Send(a, FormAddress(form), ebookName);
  return a;
}
