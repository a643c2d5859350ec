// Mail composition and the SMTP dialogue against aiosmtpd and scripted servers.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "netserver.h"
#include "network/formsender.h"
#include "network/netthreads.h"
#include "network/smtp.h"

namespace {

TNetLimits Quick() {
  TNetLimits l;
  l.connectTimeoutMs = 2000;
  l.idleTimeoutMs = 1500;
  l.requestTimeoutMs = 3000;
  return l;
}

// Runs `f` with the process in the given time zone.
template <class F>
void InZone(const char* tz, F f) {
  const char* old = std::getenv("TZ");
  const std::string saved = old ? old : "";
  ::setenv("TZ", tz, 1);
  ::tzset();
  f();
  if (old)
    ::setenv("TZ", saved.c_str(), 1);
  else
    ::unsetenv("TZ");
  ::tzset();
}

std::string Server(const TestServer& s) { return "127.0.0.1:" + std::to_string(s.Port()); }

}  // namespace

TEST(MailAddress, NthAddressOfEntries) {
  const std::string entry = "\"Mario Rossi\" <mario@esempio.it>, anna@esempio.it";
  EXPECT_EQ(NthAddress(entry, 1), "mario@esempio.it");
  EXPECT_EQ(NthAddress(entry, 2), "anna@esempio.it");
  EXPECT_EQ(NthAddress(entry, 3), "");
  EXPECT_EQ(NthAddress("a@b.it;c@d.it", 2), "c@d.it");
  EXPECT_EQ(NthAddress("(\"<x@y.it>\")", 1), "x@y.it");
  EXPECT_EQ(NthAddress("nessun indirizzo", 1), "");
}

TEST(MailDate, EnglishNamesAndZones) {
  EXPECT_EQ(MailZone(0), "GMT");
  EXPECT_EQ(MailZone(-60), "+0100");
  EXPECT_EQ(MailZone(90), "-0130");
  EXPECT_EQ(MailZone(-330), "+0530");
  const std::time_t t = 1709629623;  // 2024-03-05 09:07:03 UTC
  InZone("UTC", [&] { EXPECT_EQ(MailDate(t), "Tue, 5 Mar 2024 09:07:03 GMT"); });
  InZone("CET-1CEST,M3.5.0,M10.5.0/3", [&] { EXPECT_EQ(MailDate(t), "Tue, 5 Mar 2024 10:07:03 +0100"); });
  InZone("CET-1CEST,M3.5.0,M10.5.0/3", [&] { EXPECT_EQ(MailDate(1720000000), "Wed, 3 Jul 2024 11:46:40 +0200"); });
}

TEST(MailCompose, HeaderOrderEnvelopeAndEmptiedSender) {
  T_SMTP smtp;  // no host: delivery fails after the composition
  smtp.Limits = Quick();
  T_Mail m;
  m.SMTP = &smtp;
  m.From = "io@esempio.it";
  m.Sender = "segreteria@esempio.it";
  m.Subject = "Oggetto\r\nBcc: intruso@esempio.it";
  m.References = "<1@x>";
  m.ReplyTo = "risposte@esempio.it";
  m.Recipients = {"a@esempio.it", "b@esempio.it"};
  m.CC = {"c@esempio.it"};
  m.BCC = {"d@esempio.it"};
  m.Header = {"X-Prova: 1"};
  m.Body = {"riga"};
  InZone("UTC", [&] { EXPECT_THROW(m.Send(1709629623, "macchina"), ETcpIpError); });
  const std::vector<std::string> expected = {
      "From: io@esempio.it",
      "Message-ID: <1709629623@macchina>",
      "Date: Tue, 5 Mar 2024 09:07:03 GMT",
      "Subject: Oggetto  Bcc: intruso@esempio.it",  // a line break cannot add a header
      "To: a@esempio.it",
      "To: b@esempio.it",
      "CC: c@esempio.it",
      "Sender: segreteria@esempio.it",
      "Errors-To: segreteria@esempio.it",
      "References: <1@x>",
      "Reply-To: risposte@esempio.it",
      "X-Prova: 1",
      "",
      "riga"};
  EXPECT_EQ(smtp.Message, expected);
  EXPECT_EQ(smtp.Recipients, (std::vector<std::string>{"a@esempio.it", "b@esempio.it", "c@esempio.it", "d@esempio.it"}));
  EXPECT_EQ(smtp.SenderAddress, "");  // given for this message only
  EXPECT_TRUE(m.Composed.empty());

  m.Disclose_Receipts = true;
  EXPECT_THROW(m.Send(1709629623, "macchina"), ETcpIpError);
  EXPECT_EQ(smtp.Message[4], "To: disclosed recipients list");
  // Nothing happens without a sender.
  m.From.clear();
  smtp.Message.clear();
  EXPECT_NO_THROW(m.Send(1709629623, "macchina"));
  EXPECT_TRUE(smtp.Message.empty());
}

TEST(SmtpDeliver, MessageReachesTheServerWithItsLinesAndRecipients) {
  TestServer s("smtp");
  T_SMTP smtp;
  smtp.Limits = Quick();
  smtp.Hostname = "127.0.0.1";
  smtp.Port = s.Port();
  T_Mail m;
  m.SMTP = &smtp;
  m.From = "Lettore <lettore@esempio.it>";
  m.Recipients = {"\"Autore\" <autore@esempio.it>, altro@esempio.it"};
  m.Subject = FormMailSubject("libro.zeb");
  m.Body = {"nome=Anna\r\n.\r\n.punto\r\nfine"};
  m.Send();
  EXPECT_EQ(smtp.ReplyCode, 250);
  auto log = s.Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0]["from"], "lettore@esempio.it");
  EXPECT_EQ(log[0]["to"], (nlohmann::json{"autore@esempio.it", "altro@esempio.it"}));
  const std::string data = log[0]["data"];
  EXPECT_EQ(data.rfind("From: Lettore <lettore@esempio.it>\r\nMessage-ID: <", 0), 0u) << data;
  EXPECT_NE(data.find("\r\nSubject: Email from: (libro.zeb)\r\nTo: \"Autore\" <autore@esempio.it>, altro@esempio.it\r\n\r\n"),
            std::string::npos)
      << data;
  // A lone dot becomes a comma; a line that begins with a dot keeps it.
  EXPECT_NE(data.find("\r\n\r\nnome=Anna\r\n,\r\n.punto\r\nfine"), std::string::npos) << data;
}

TEST(SmtpDeliver, RefusingAndScriptedServers) {
  {
    TestServer s("smtp554");
    TNetResult r = RunMailRequest({"io@esempio.it", "tu@esempio.it", Server(s), "s", "b", ""}, Quick(), nullptr);
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(r.status, 554);
    EXPECT_EQ(r.error, "Servizio non disponibile");
    auto log = s.Log();  // the HELO was refused: nothing more was sent
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(std::string(log[0]["line"]).rfind("HELO ", 0), 0u);
  }
  {
    TestServer s("multiline");
    T_SMTP smtp;
    smtp.Limits = Quick();
    smtp.Hostname = "127.0.0.1";
    smtp.Port = s.Port();
    smtp.Login();
    smtp.ReadReply();
    EXPECT_EQ(smtp.ReplyCode, 250);
    EXPECT_EQ(smtp.ReplyText, "a");
    smtp.SendLine("NOOP");
    smtp.ReadReply();  // the three lines are one reply: the next starts fresh
    EXPECT_EQ(smtp.ReplyText, "a");
    smtp.SendLine("NOOP");
    smtp.ReadReply();
    EXPECT_EQ(smtp.ReplyCode, 250);
  }
  {
    TestServer silent("silent");
    const auto t0 = std::chrono::steady_clock::now();
    TNetResult r = RunMailRequest({"io@esempio.it", "tu@esempio.it", Server(silent), "s", "b", ""}, Quick(), nullptr);
    EXPECT_EQ(r.error, "Il server non risponde: tempo scaduto");
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 4);
  }
  // Empty settings fail at once, with their own message.
  TNetResult r = RunMailRequest({"io@esempio.it", "tu@esempio.it", "", "s", "b", ""}, Quick(), nullptr);
  EXPECT_EQ(r.error, "Non riesco a tradurre in numeri il nome host ");
  r = RunMailRequest({"", "tu@esempio.it", "127.0.0.1", "s", "b", ""}, Quick(), nullptr);
  EXPECT_EQ(r.error, "Manca l'indirizzo del mittente (email1)");
}

TEST(SmtpDeliver, StartTlsAndPlainSignIn) {
  TestServer s("smtp", {"--tls", "--auth", "lettore@esempio.it:segreta"});
  TNetLimits l = Quick();
  l.caFile = s.Folder() + "/cert.pem";
  // The certificate names localhost: the server is reached by that name.
  const std::string server = "localhost:" + std::to_string(s.Port());
  TNetResult r = RunMailRequest({"lettore@esempio.it", "tu@esempio.it", server, "s", "corpo", "segreta"}, l, nullptr);
  EXPECT_FALSE(r.failed) << r.error;
  auto log = s.Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_TRUE(log[0]["tls"]);
  EXPECT_TRUE(log[0]["auth"]);
  r = RunMailRequest({"lettore@esempio.it", "tu@esempio.it", server, "s", "corpo", "sbagliata"}, l, nullptr);
  EXPECT_TRUE(r.failed);  // refused (aiosmtpd then keeps silent until the client gives up)
  EXPECT_EQ(s.Log().size(), 1u);

  // A server without TLS never sees the password.
  TestServer clear("smtp");
  r = RunMailRequest({"lettore@esempio.it", "tu@esempio.it", Server(clear), "s", "corpo", "segreta"}, l, nullptr);
  EXPECT_EQ(r.error, "Il server non offre una connessione cifrata: la password non viene inviata");
  EXPECT_TRUE(clear.Log().empty());
}
