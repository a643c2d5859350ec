// What a page form needs to send itself over the network: send mode 2 posts
// the form text to the form's address, send mode 4 mails it to the form's
// address. Both take copies of their texts and return at once; the sending
// runs in the background and the user learns whether the form left.
#pragma once

#include <string>

class IFormSender {
public:
  virtual ~IFormSender() = default;
  // `text` is the encoded form text, lines ending in CR LF.
  virtual void PostFormText(const std::string& address, const std::string& text) = 0;
  // `ebookFileName` is the open ebook's file name without its folder. Asks for
  // the e-mail settings first when no sender address is stored.
  virtual void MailFormText(const std::string& recipient, const std::string& ebookFileName,
                            const std::string& text) = 0;
};

// "Email from: (" + file name + ")"
std::string FormMailSubject(const std::string& ebookFileName);
// The form text as the body of a web submission: its lines, each ending in CR LF.
std::string FormPostBody(const std::string& text);
// A name as the user-data dialog stores it: characters outside the accepted
// ones become spaces, the length stays.
std::string CleanName(const std::string& name);
