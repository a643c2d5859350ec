// Form controls on a page: edit boxes, memos, list and combo boxes, check
// boxes, radio buttons and buttons. Each keeps its value in a TFieldModel,
// mirrored into the frame set's form host so that typed values survive the
// page being shown again; the Qt widget inside only shows and edits it.
#pragma once

#include <QPointer>
#include <memory>
#include <string>
#include <vector>

#include "document/formsubmit.h"
#include "pageobjects/visual.h"

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class TFormHost;

// The base of every form field control.
class TMyyFormControl : public TMyyVisual, public IFormItem {
  Q_OBJECT
public:
  explicit TMyyFormControl(QWidget* parent = nullptr);
  ~TMyyFormControl() override;

  void Bind(TZEBoggetto* obj) override;
  void LoadFromObject() override;
  std::string GetValue() const override;  // what a submission sends
  std::string GetItems() const override;  // the choices' captions, one per line
  void SetValue(const std::string& v) override;

  // IFormItem
  const TZEBoggetto& FormObject() const override { return *Object(); }
  void ResetValue() override;
  void ClearValue() override;

  TFieldModel* Model() const { return model_.get(); }
  // The widget that takes the keyboard (null for the painted check boxes).
  virtual QWidget* Editor() const { return nullptr; }

protected:
  // Shows the model in the widget.
  virtual void ShowModel() {}
  // The widget changed the model: keep it for the next showing of the page.
  void ModelChanged();
  int CharWidth() const;
  QString U(const std::string& bytes) const;
  std::string B(const QString& text) const;
  void ApplyHint(QWidget* target);
  void InstallKeys(QWidget* w);
  bool eventFilter(QObject* watched, QEvent* e) override;

  std::unique_ptr<TFieldModel> model_;
};

class TMyyEdit : public TMyyFormControl {
  Q_OBJECT
public:
  explicit TMyyEdit(QWidget* parent = nullptr);
  void RefreshLook() override;
  QWidget* Editor() const override;

protected:
  void ShowModel() override;
  void resizeEvent(QResizeEvent* e) override;

private:
  QLineEdit* edit_;
};

class TMyyMemo : public TMyyFormControl {
  Q_OBJECT
public:
  explicit TMyyMemo(QWidget* parent = nullptr);
  void RefreshLook() override;
  QWidget* Editor() const override;

protected:
  void ShowModel() override;
  void resizeEvent(QResizeEvent* e) override;

private:
  QPlainTextEdit* memo_;
};

class TMyyListBox : public TMyyFormControl {
  Q_OBJECT
public:
  explicit TMyyListBox(QWidget* parent = nullptr);
  void RefreshLook() override;
  QWidget* Editor() const override;

protected:
  void ShowModel() override;
  void resizeEvent(QResizeEvent* e) override;

private:
  QListWidget* list_;
};

class TMyyComboBox : public TMyyFormControl {
  Q_OBJECT
public:
  explicit TMyyComboBox(QWidget* parent = nullptr);
  void RefreshLook() override;
  QWidget* Editor() const override;

protected:
  void ShowModel() override;
  void resizeEvent(QResizeEvent* e) override;

private:
  QComboBox* combo_;
};

// Check boxes and radio buttons paint themselves in 13 x 13 pixels.
class TMyyCheckedControl : public TMyyFormControl {
  Q_OBJECT
public:
  explicit TMyyCheckedControl(QWidget* parent = nullptr);
  bool Checked() const { return model_ && model_->Checked(); }
  void SetChecked(bool on);
  void RefreshLook() override;
  void ActivateInReader() override;

protected:
  void paintEvent(QPaintEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  virtual void Toggle() = 0;
  virtual bool Round() const = 0;
};

class TMyyCheckBox : public TMyyCheckedControl {
  Q_OBJECT
public:
  using TMyyCheckedControl::TMyyCheckedControl;

protected:
  void Toggle() override { SetChecked(!Checked()); }
  bool Round() const override { return false; }
};

// A release inside checks it; it never unchecks itself or its neighbours.
class TMyyRadioButton : public TMyyCheckedControl {
  Q_OBJECT
public:
  using TMyyCheckedControl::TMyyCheckedControl;

protected:
  void Toggle() override {
    if (!Checked()) SetChecked(true);
  }
  bool Round() const override { return true; }
};

// A form button: follows its link, or submits, resets or clears its form.
class TMyyButton : public TMyyFormControl {
  Q_OBJECT
public:
  explicit TMyyButton(QWidget* parent = nullptr);
  void RefreshLook() override;
  void ActivateInReader() override;
  TZEBoggetto* LinkedObject() const override;
  bool IsOpaque() const override;
  QWidget* Editor() const override;
  // Presses the button as a click does.
  void Press();

protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

private:
  QPushButton* push_;
  QImage picture_;
};

// The controls of the page `control` sits on, in text order, as form items;
// objects without a form control are stood in for by plain models.
struct TPageFormItems {
  std::vector<IFormItem*> items;
  std::vector<std::unique_ptr<TFieldModel>> standIns;
  int IndexOf(const QWidget* control) const;
};
TPageFormItems CollectFormItems(QWidget* control);

// Carries out what pressing a button decided (browser, network, file, status).
void PerformFormAction(const TFormAction& a, TMyyFormControl& source);

// The form control for a field, button kind and subkind; null for other kinds.
TMyyVisual* CreateFormControl(TZEBoggetto* obj);
