// The e-mail settings dialog (TFemail) and the user-data dialog (TFAskName).
#pragma once

#include <QDialog>
#include <QTimer>
#include <string>

#include "platform/settings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The SMTP password: kept for the running program only, unless the user asked
// to remember it ("smtppw1").
class TMailPassword {
public:
  static std::string Get(TSettings& settings);
  static void Set(TSettings& settings, const std::string& password, bool remember);
  static void ForgetSession();

private:
  static std::string& Session();
};

class TFemail : public QDialog {
  Q_OBJECT
public:
  static constexpr int FocusDelayMs = 600;
  explicit TFemail(TSettings& settings, QWidget* parent = nullptr);

  QLineEdit* Esmtp;
  QLineEdit* Email;
  QLineEdit* Epassword;
  QCheckBox* RememberBox;
  QPushButton* OkButton;

  void OkClick();

protected:
  void showEvent(QShowEvent* e) override;

private:
  TSettings& settings_;
  QTimer focusTimer_;
};

class TFAskName : public QDialog {
  Q_OBJECT
public:
  explicit TFAskName(TSettings& settings, QWidget* parent = nullptr);

  QLabel* InfoLabel;
  QLineEdit* Enome;
  QLineEdit* Ecognome;
  QLineEdit* Eemail;
  QPushButton* OkButton;
  QPlainTextEdit* Notice;

  void OkClick();

private:
  void FieldChanged();
  TSettings& settings_;
};
