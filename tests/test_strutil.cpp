#include <gtest/gtest.h>

#include <string>

#include "document/codepage.h"
#include "document/strutil.h"

namespace {

std::string Decode1(std::string_view s, size_t expectConsumed) {
  size_t consumed = 99;
  unsigned char c = str::DecodeEntityAt(s, consumed);
  EXPECT_EQ(consumed, expectConsumed) << s;
  return std::string(1, static_cast<char>(c));
}

TEST(StrUtil, NumericAndSpecialEntities) {
  EXPECT_EQ(Decode1("&#65;", 5), "A");
  EXPECT_EQ(Decode1("&#65x", 4), "A");
  EXPECT_EQ(Decode1("&#;", 3), "A");          // no digits
  EXPECT_EQ(Decode1("&#x41;", 2), "A");       // hex is not read: "x41;" stays
  EXPECT_EQ(Decode1("&#", 2), "A");           // cut off at the end of the text
  EXPECT_EQ(Decode1("&#9;", 4), "\t");
  EXPECT_EQ(Decode1("&#999;", 6), "?");       // above a byte
  EXPECT_EQ(Decode1("&&", 2), "&");
  EXPECT_EQ(Decode1("&&;", 2), "&");          // the ";" is text after "&&"
  EXPECT_EQ(Decode1("&", 1), " ");
  EXPECT_EQ(Decode1("&;", 2), " ");
  EXPECT_EQ(Decode1("& x", 1), " ");

  EXPECT_EQ(str::DecodeEntities("&#1234;"), "{4;");
  EXPECT_EQ(str::DecodeEntities("a&lt;b&gt;c&amp;d&quot;"), "a<b>c&d\"");
  EXPECT_EQ(str::DecodeEntities("&LT;&AMP&GT&QUOT;"), "<&>\"");
  EXPECT_EQ(str::DecodeEntities("&ltx"), "<x");
  EXPECT_EQ(str::DecodeEntities("&foo;"), " foo;");
  EXPECT_EQ(str::DecodeEntities("&NBSP;"), " NBSP;");   // names are case-sensitive
  EXPECT_EQ(str::DecodeEntities("&nbsp"), "\xA0");
  EXPECT_EQ(str::DecodeEntities("&macr;"), " macr;");   // this table spells 175 "hibar"
  EXPECT_EQ(str::DecodeEntities("&notx;&copyright"), "\xACx;\xA9right");
  EXPECT_EQ(str::DecodeEntities("x&"), "x ");
}

TEST(StrUtil, AllLatin1EntityNames) {
  static const char* const kNames[96] = {
      "nbsp", "iexcl", "cent", "pound", "curren", "yen", "brvbar", "sect", "uml", "copy",
      "ordf", "laquo", "not", "shy", "reg", "hibar", "deg", "plusmn", "sup2", "sup3",
      "acute", "micro", "para", "middot", "cedil", "sup1", "ordm", "raquo", "frac14",
      "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc", "Atilde", "Auml", "Aring",
      "AElig", "Ccedil", "Egrave", "Eacute", "Ecirc", "Euml", "Igrave", "Iacute", "Icirc",
      "Iuml", "ETH", "Ntilde", "Ograve", "Oacute", "Ocirc", "Otilde", "Ouml", "times",
      "Oslash", "Ugrave", "Uacute", "Ucirc", "Uuml", "Yacute", "THORN", "szlig", "agrave",
      "aacute", "acirc", "atilde", "auml", "aring", "aelig", "ccedil", "egrave", "eacute",
      "ecirc", "euml", "igrave", "iacute", "icirc", "iuml", "eth", "ntilde", "ograve",
      "oacute", "ocirc", "otilde", "ouml", "divide", "oslash", "ugrave", "uacute", "ucirc",
      "uuml", "yacute", "thorn", "yuml"};
  for (int i = 0; i < 96; ++i) {
    std::string name = kNames[i];
    // With and without ";": an earlier name being a prefix would show up here.
    EXPECT_EQ(Decode1("&" + name + ";", name.size() + 2)[0], static_cast<char>(160 + i)) << name;
    EXPECT_EQ(Decode1("&" + name + "z", name.size() + 1)[0], static_cast<char>(160 + i)) << name;
  }
}

TEST(StrUtil, IniEscapeRoundTrip) {
  EXPECT_EQ(str::IniEscape("a\r\nb\rc\nd"), "a\xA7!b\xA7!c\xA7!d");
  EXPECT_EQ(str::IniEscape("it's \xA7 5"), "it''s \xA7\xA7 5");
  EXPECT_EQ(str::IniEscape("\n\r"), "\xA7!\xA7!");  // LF CR is two breaks
  EXPECT_EQ(str::IniUnescape("a\xA7!b\xA7\xA7 c''d'e"), "a\r\nb\xA7 c'd'e");
  EXPECT_EQ(str::IniUnescape("x\xA7yz\xA7"), "xyz");  // stray section sign dropped alone
  EXPECT_EQ(str::IniUnescape("\xA7\xA7\xA7!"), "\xA7\r\n");

  const std::string text = "l'uno\r\n\xA7\xA7 ''due''\r\n\r\ntre \xA7!";
  EXPECT_EQ(str::IniUnescape(str::IniEscape(text)), text);

  const std::string u8 = "\xC2\xA7 caf\xC3\xA9\nl'\xC2\xA7!";
  const std::string esc = str::IniEscape(u8, "\xC2\xA7");
  EXPECT_EQ(esc, "\xC2\xA7\xC2\xA7 caf\xC3\xA9\xC2\xA7!l''\xC2\xA7\xC2\xA7!");
  EXPECT_EQ(str::IniUnescape(esc, "\xC2\xA7"), "\xC2\xA7 caf\xC3\xA9\r\nl'\xC2\xA7!");
  // A lone 0xA7 byte is not the UTF-8 section sign.
  EXPECT_EQ(str::IniEscape("\xA7", "\xC2\xA7"), "\xA7");
}

TEST(StrUtil, CaseIdsAndNumbers) {
  EXPECT_EQ(str::Lower("AbC\xC0\xDE\xD7\xDF"), "abc\xE0\xFE\xD7\xDF");
  EXPECT_EQ(str::Upper("aBc\xE0\xFE\xF7\xFF"), "ABC\xC0\xDE\xF7\xFF");
  EXPECT_TRUE(str::EqualsNoCase("\xC8t\xE9", "\xE8T\xC9"));
  EXPECT_TRUE(str::StartsWithNoCase("Popup0001", "POPUP"));
  EXPECT_FALSE(str::StartsWithNoCase("Pop", "POPUP"));

  EXPECT_EQ(str::ToIntDef("-42", 7), -42);
  EXPECT_EQ(str::ToIntDef("+5", 7), 5);
  EXPECT_EQ(str::ToIntDef("-2147483648", 7), -2147483647 - 1);
  for (const char* bad : {"", "-", "12x", " 1", "2147483648", "99999999999999999999"})
    EXPECT_EQ(str::ToIntDef(bad, 7), 7) << bad;

  EXPECT_EQ(str::IdToHex(MakeId(immagine, 0x12AB)), "050012AB");
  EXPECT_EQ(str::IdToHex(-1), "FFFFFFFF");
  TObjId id = 0;
  EXPECT_TRUE(str::HexToId("$ff0000a1", id));
  EXPECT_EQ(id, static_cast<TObjId>(0xFF0000A1u));
  for (const char* bad : {"", "$", "1234567", "123456789", "1234567g", "$$1234567"})
    EXPECT_FALSE(str::HexToId(bad, id)) << bad;
}

TEST(StrUtil, Encodings) {
  EXPECT_EQ(str::UrlEncode("aZ09!$'()*-._@"), "aZ09!$'()*-._@");
  EXPECT_EQ(str::UrlEncode("a b&c=d/\r\n\xE8~"), "a%20b%26c%3dd%2f%0d%0a%e8%7e");
  EXPECT_EQ(str::LineEncode("a b&c=d\r\n\xE8"), "a b%26c%3dd%0d%0a\xE8");
  EXPECT_EQ(str::HtmlEscape("<a href=\"x\">&</a>"),
            "&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt;");
  EXPECT_EQ(str::DecodeEntities(str::HtmlEscape("\"<&>\"")), "\"<&>\"");
}

TEST(StrUtil, SanitizeFileName) {
  EXPECT_EQ(str::SanitizeFileName("../../etc/passwd"), "passwd");
  EXPECT_EQ(str::SanitizeFileName("C:\\x\\..\\evil.exe"), "evil.exe");
  EXPECT_EQ(str::SanitizeFileName("C:evil.exe"), "evil.exe");
  EXPECT_EQ(str::SanitizeFileName("dir/.."), "_");
  for (const char* bad : {"", ".", "..", "...", "a/", "a\\", "C:"})
    EXPECT_EQ(str::SanitizeFileName(bad), "_") << bad;
  EXPECT_EQ(str::SanitizeFileName(".bashrc"), "_bashrc");
  EXPECT_EQ(str::SanitizeFileName("a<b>c:d\"e|f?g*h"), "a_b_c_d_e_f_g_h");
  EXPECT_EQ(str::SanitizeFileName(std::string("a\0b\x1F\x7F\xE8.txt", 10)), "a_b__\xE8.txt");

  std::string longName(500, 'x');
  EXPECT_EQ(str::SanitizeFileName(longName), std::string(200, 'x'));
  std::string kept = str::SanitizeFileName(longName + ".html");
  EXPECT_EQ(kept.size(), 200u);
  EXPECT_EQ(kept.substr(190), "xxxxx.html");
  // An "extension" too long to be one is cut like the rest.
  EXPECT_EQ(str::SanitizeFileName("a." + longName).size(), 200u);
}

TEST(StrUtil, PlausibleEmail) {
  for (const char* ok : {"a@bb.com", "anna@ex.it", "x@yy.z.it", "a@b@cc.dd"})
    EXPECT_TRUE(str::PlausibleEmail(ok)) << ok;
  for (const char* bad : {"a@bb.co" /* 7 chars */, "@abcd.com", "ab cd@ef.com", "anna@b.com",
                          "anna@.bcom", "anna@ex..it", "anna@ex.it.", "anna.ex.it",
                          "anna@excom", "a..b@ex.it."})
    EXPECT_FALSE(str::PlausibleEmail(bad)) << bad;
}

TEST(CodePage, TablesAndConversion) {
  TCodePage w1252("windows-1252");
  EXPECT_EQ(w1252.CodePoint(0x80), 0x20ACu);
  EXPECT_EQ(w1252.CodePoint(0xE8), 0xE8u);
  EXPECT_EQ(w1252.CodePoint(0x81), 0x81u);  // undefined byte keeps its C1 value
  EXPECT_EQ(w1252.CodePoint(0x9F), 0x178u);

  for (const char* latin : {"iso-8859-1", "ISO-8859-1", "latin1", "", "no-such-set", "utf-8",
                            "utf-16", "shift_jis", "cp1251//TRANSLIT"}) {
    TCodePage cp(latin);
    EXPECT_EQ(cp.Name(), "windows-1252") << latin;
    EXPECT_EQ(cp.CodePoint(0x80), 0x20ACu) << latin;
  }

  TCodePage w1251(" Windows-1251 ");
  EXPECT_EQ(w1251.Name(), "windows-1251");
  EXPECT_EQ(w1251.CodePoint(0xC0), 0x410u);
  EXPECT_EQ(w1251.CodePoint(0x98), 0xFFFDu);  // the one hole of windows-1251
  EXPECT_EQ(TCodePage("iso-8859-2").CodePoint(0xE8), 0x10Du);
  EXPECT_EQ(TCodePage("koi8-r").CodePoint(0xC0), 0x44Eu);

  EXPECT_EQ(w1252.ToUtf8("caf\xE8 \x80"), "caf\xC3\xA8 \xE2\x82\xAC");
  EXPECT_EQ(w1251.ToUtf8("\xC0\x98"), "\xD0\x90\xEF\xBF\xBD");
  EXPECT_EQ(w1252.FromUtf8("caf\xC3\xA8 \xE2\x82\xAC \xD0\x90"), "caf\xE8 \x80 ?");
  EXPECT_EQ(w1251.FromUtf8("\xD0\x90\xC3\xA8"), "\xC0?");
  // Malformed UTF-8: truncated, overlong, surrogate, stray continuation.
  EXPECT_EQ(w1252.FromUtf8("a\xC3"), "a?");
  EXPECT_EQ(w1252.FromUtf8("\xC0\xAF|\xED\xA0\x80|\x80"), "??|???|?");

  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  TCodePage copy = w1252;  // copies share the reverse map
  EXPECT_EQ(copy.FromUtf8(w1252.ToUtf8(all)), all);

  std::string s;
  AppendUtf8(s, 0x1F600);
  AppendUtf8(s, 0xD800);
  AppendUtf8(s, 0x110000);
  EXPECT_EQ(s, "\xF0\x9F\x98\x80\xEF\xBF\xBD\xEF\xBF\xBD");
}

} // namespace
