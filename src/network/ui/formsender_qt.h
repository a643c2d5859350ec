// The reader's form sender: web submissions and form e-mails on their own
// threads, their outcome reported on the window's thread through queued calls.
// A failed e-mail offers to keep the form text in a file.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "document/services.h"
#include "network/formsender.h"
#include "network/netthreads.h"
#include "platform/settings.h"
#include "shell/shellservices.h"

class QWidget;

class TFormSender : public QObject, public IFormSender {
  Q_OBJECT
public:
  TFormSender(TSettings& settings, IMessageSink& messages, IShellDialogs* dialogs, QWidget* window);
  ~TFormSender() override;

  TNetLimits Limits = TNetLimits::FromEnvironment();
  // Where "the e-mail left" goes; without it an information box says so.
  std::function<void(const std::string&)> OnStatus;
  // Asks for the e-mail settings; the default shows TFemail modally.
  std::function<void()> AskMailSettings;

  void PostFormText(const std::string& address, const std::string& text) override;
  void MailFormText(const std::string& recipient, const std::string& ebookFileName,
                    const std::string& text) override;

  size_t Running() { return threads_.Running(); }

signals:
  // After the outcome of one sending was reported.
  void reported();

private:
  void PostDone(const std::string& address, const TNetResult& r);
  void MailDone(const TMailRequest& mail, const std::string& ebookFileName, const TNetResult& r);
  void OfferToSave(const std::string& ebookFileName, const std::string& text);

  TSettings& settings_;
  IMessageSink& messages_;
  IShellDialogs* dialogs_;
  QPointer<QWidget> window_;
  TNetThreadGroup threads_;  // last: its threads stop before the rest goes
};
