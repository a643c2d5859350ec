// String helpers shared by every layer. Texts are bytes in the ebook's 8-bit
// code page unless a function says otherwise.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "document/zebtypes.h"

namespace str {

// Lower/upper case for ASCII and the Latin-1 letters (0xC0..0xDE <-> 0xE0..0xFE, not 0xD7/0xF7).
std::string Lower(std::string_view s);
std::string Upper(std::string_view s);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);
inline bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }
bool EqualsNoCase(std::string_view a, std::string_view b);

// Decimal text with a default for missing or non-numeric text (optional sign, no trailing junk).
int ToIntDef(std::string_view s, int def);

// Object ids as 8 upper-case hexadecimal digits.
std::string IdToHex(TObjId id);
// Parses exactly 8 hex digits after an optional "$"; false when malformed.
bool HexToId(std::string_view s, TObjId& id);

// Remark/INI-safe form of a multi-line text: line breaks (CR LF, CR, LF) become
// section+"!", an apostrophe is doubled, section is doubled. `section` is the
// byte sequence of the section sign in the text's encoding ("\xC2\xA7" for
// UTF-8); an empty `section` means the default. Unescaping turns section+"!"
// into CR LF, section+section into one section and "''" into "'"; a section
// followed by anything else is dropped on its own and the next character kept.
std::string IniEscape(std::string_view text, std::string_view section = "\xA7");
std::string IniUnescape(std::string_view text, std::string_view section = "\xA7");

// HTML escaping of &, <, > and the double quote.
std::string HtmlEscape(std::string_view s);
// Plain text made safe to stand in page markup.
std::string MarkupEscape(std::string_view s);

// Decodes one character reference at s[0] == '&'. Returns the decoded byte and
// sets `consumed` to the number of bytes taken. Rules: "&#" + up to three digits
// and an optional ";" (no digits: 'A'); "&&" gives "&"; a name of the 104-entry
// table (case-sensitive prefix match) with an optional ";"; anything else a
// space, consuming "&" and a following ";". Codes 256..999 give '?'.
// An empty s gives 0 with consumed 0; a byte other than '&' is returned as is.
unsigned char DecodeEntityAt(std::string_view s, size_t& consumed);
// Decodes every reference in s.
std::string DecodeEntities(std::string_view s);

// URL encoding: letters, digits and ! $ ' ( ) * - . _ @ kept, every other byte "%xx" lower-case.
std::string UrlEncode(std::string_view s);
// Line encoding: only CR, LF, "&" and "=" as "%xx".
std::string LineEncode(std::string_view s);

// A file name safe to create inside a folder: the last path component
// (both "/" and "\" separate), drive removed, control characters and
// characters not allowed in file names replaced by "_", no "." or ".." or
// empty result (those give "_"), at most 200 bytes keeping the extension.
// DEL counts as a control character; a leading "." becomes "_" so that the
// result is never a hidden file.
std::string SanitizeFileName(std::string_view name);

// Plausible e-mail address: at least 8 characters; first "@" at index >= 1; no
// space; after the "@", the first "." at its index >= 2 and no ".."; does not end with ".".
bool PlausibleEmail(std::string_view s);

} // namespace str
