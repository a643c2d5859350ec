// Mail delivery: the SMTP dialogue (T_SMTP) and the composition of a message
// from sender, recipients, subject and body (T_MailNews, T_Mail).
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "network/tcpip.h"

class T_SMTP : public T_TcpIp {
public:
  T_SMTP() { Port = 25; }

  std::string SenderAddress;            // the envelope sender
  std::vector<std::string> Recipients;  // an entry may hold several addresses
  std::vector<std::string> Message;     // header and body lines
  // Sign-in: used only when a password is given, and only over TLS.
  std::string User, Password;

  int ReplyCode = 0;
  std::string ReplyText;

  void Deliver();
  // One reply, its continuation lines included.
  void ReadReply();

private:
  void Command(const std::string& line, bool check);
  void Check();
  // EHLO, STARTTLS when offered, AUTH PLAIN.
  void SignIn(const std::string& localName);
  std::vector<std::string> Extensions(const std::string& localName);
  void SendData();
};

class T_MailNews {
public:
  std::string From, Sender, Subject, References, ReplyTo;
  std::vector<std::string> Body, Header;
  std::vector<std::string> Composed;  // the lines of the last composition

  // Builds `Composed` around the lines the caller has put there; `now` is the
  // clock the Message-ID and the date are taken from.
  void Compose(std::time_t now, const std::string& localName);
};

class T_Mail : public T_MailNews {
public:
  T_SMTP* SMTP = nullptr;  // not owned
  std::vector<std::string> Recipients, CC, BCC;
  bool Disclose_Receipts = false;

  void Send();
  void Send(std::time_t now, const std::string& localName);
};

// The n-th address (from 1) in a text of addresses, bare; empty when missing.
std::string NthAddress(const std::string& text, int n);
// "Tue, 5 Mar 2024 09:07:03 +0100" for `now` in local time.
std::string MailDate(std::time_t now);
// The zone of a date from the bias in minutes (UTC minus local time).
std::string MailZone(int biasMinutes);
std::string Base64(const std::string& bytes);
