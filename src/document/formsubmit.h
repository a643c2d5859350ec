// What pressing a form button does: finding the button's form among the
// page's objects in text order, building the text the form sends in each
// send mode, and deciding where it goes. No side effects here: the page's
// controls (or zebtool) carry out the action this returns.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "document/formrecords.h"

class TZEBoggetto;

// One object of a page in text order, as the form logic sees it. The page's
// controls implement it over their widgets; TFieldModel over plain values.
class IFormItem {
public:
  virtual ~IFormItem() = default;
  virtual const TZEBoggetto& FormObject() const = 0;
  // The value a submission sends (empty for what sends nothing).
  virtual std::string GetValue() const = 0;
  virtual void ResetValue() = 0;  // back to the initial look and value
  virtual void ClearValue() = 0;
};

// What the reader typed into a field, kept while its page is shown again
// (zoom, relayout, coming back to the page).
struct TFieldState {
  std::string text;
  bool checked = false;
  int selected = -1;
};

// A field's value without a widget: used by zebtool and by the tests, and as
// the state the widgets keep across relayout.
class TFieldModel : public IFormItem {
public:
  explicit TFieldModel(const TZEBoggetto& obj);
  const TZEBoggetto& FormObject() const override { return obj_; }
  std::string GetValue() const override;
  void ResetValue() override;
  void ClearValue() override;

  formrec::TControl Control() const { return control_; }
  // Edits and memos take the text; check boxes and radio buttons become
  // checked exactly when the lower-cased text is "checked".
  void SetValue(const std::string& text);
  void SetChecked(bool c) { checked_ = c; }
  bool Checked() const { return checked_; }
  // A choice by number; out of range selects nothing.
  void Select(int index);
  int Selected() const { return selected_; }
  const std::vector<formrec::TChoice>& ChoiceList() const { return choices_; }
  const std::string& Text() const { return text_; }
  TFieldState State() const { return {text_, checked_, selected_}; }
  void Restore(const TFieldState& s);

private:
  const TZEBoggetto& obj_;
  formrec::TControl control_;
  std::vector<formrec::TChoice> choices_;
  std::string text_;
  bool checked_ = false;
  int selected_ = -1;
};

// Indices [first, last) of the form holding the item at `button`; first is
// the form start's index, -1 when no form start precedes the button.
struct TFormRange {
  int start = -1;
  int end = 0;
};
TFormRange FindForm(const std::vector<IFormItem*>& items, int button);

// The text of a form's inputStat fields and of the button, encoded for the
// send mode (1 query string, 2 HTTP body lines, 4 e-mail, 5 text file).
std::string BuildFormText(int mode, const std::vector<IFormItem*>& items, TFormRange range,
                          const IFormItem& button);

// Only web and mail addresses are handed to the browser.
bool OpenableAddress(const std::string& address);

struct TFormAction {
  enum Kind { None, Open, Http, Email, File, Reset, Clear, Link };
  Kind kind = None;
  int mode = 0;
  std::string address;   // browser address, HTTP or e-mail address, save-dialog title
  std::string text;      // T as built
  std::string fileText;  // the text file's contents for mode 5
  TObjId link = NoObject;
  bool refused = false;  // an address that may not be opened
};
const char* ActionName(TFormAction::Kind k);

// Presses `items[button]` on a page shown for reading. Reset and clear are
// applied to the form's items; everything else is only described.
// `ebookName` is the ebook's file name without folder.
TFormAction PressFormButton(const std::vector<IFormItem*>& items, int button, const std::string& ebookName);

// The three lines a form saved to a text file holds.
std::string FormFileText(const std::string& ebookName, const std::string& text);
