// The ZEB writer's byte layout and `zebtool build` (manifests, markup
// expansion, error reporting, the bundled sample).
#include <gtest/gtest.h>

#include "testutil.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "document/zebwriter.h"

namespace fs = std::filesystem;

namespace {

// An independent reading of the layout, so that the tests do not trust the
// writer's own offset tables.
struct TZebView {
  std::vector<uint8_t> d;
  int K() const { return d[1620]; }
  int32_t HI32(int off) const { return GetI32(d.data() + off); }
  int32_t Dir(int kind, int field) const { return GetI32(d.data() + 1978 + 12 * kind + 4 * field); }
  int R() const { return 1978 + 12 * (K() + 1) + 4; }
  int B() const { return R() + GetI32(d.data() + 1978 + 12 * (K() + 1)); }
  const uint8_t* Rec(int kind, int i) const { return d.data() + R() + Dir(kind, 0) + i * Dir(kind, 1); }
  int32_t I32(int kind, int i, int off) const { return GetI32(Rec(kind, i) + off); }
  std::string Blob(int32_t pos, int32_t size) const {
    return std::string(reinterpret_cast<const char*>(d.data()) + B() + pos, size_t(size));
  }
  std::string Str(int kind, int i, int off, int max) const { return GetPString(Rec(kind, i) + off, max); }
};

const std::vector<uint8_t> kGif = {'G', 'I', 'F', '8', '9', 'a', 7, 0, 3, 0, 0x80, 0, 0, 0xFF, 0xFF, 0xFF,
                                   0,   0,   0,   ',', 0,   0,   0, 0, 7, 0, 3,    0, 0, 2,    2,    'D',
                                   1,   0,   ';'};

TEST(ZebWriter, BuiltFileFollowsTheLayout) {
  TZebWriter w;
  int cover = w.AddPage("Copertina", "<Z S0 >ciao");
  int page = w.AddPage("Seconda", "<Z S0 >due", 1, 2, cover, -1);
  w.SetPageKeywords(page, {w.AddKeyword("parola"), w.AddKeyword("altra")});
  int web = w.AddInternetLink("http://example.org");
  int file = w.AddFile("leggimi.txt", {'a', 'b', 'c'});
  int pic = w.AddPicture("Logo", "logo.gif", kGif, 7, 3);
  int ref = w.AddPictureRef(pic, "logo");
  std::vector<uint8_t> attr = {0, 0, 0, 0, 'x', '=', '1'};
  int tab = w.Add(tabellaHtml, w.NewRecord(tabellaHtml), {1, 2, 3, 4}, attr);
  int emptyTab = w.Add(tabellaHtml, w.NewRecord(tabellaHtml));
  w.SetProperty("CharSet", "iso-8859-1");
  w.SetProperty("Nota", "riga1\r\nriga2");
  w.SetProperty("Via", "x");
  w.SetProperty("via", "");  // an empty value removes the name
  TZebView v{w.Build()};

  EXPECT_EQ(std::string(v.d.begin(), v.d.begin() + 4), "MAVO");
  EXPECT_EQ(GetPString(v.d.data() + 4, 255), "Senza titolo");
  EXPECT_EQ(v.K(), 26);
  EXPECT_EQ(GetI16(v.d.data() + 1621), 2);
  EXPECT_EQ(v.R(), 2306);
  // Kinds follow one another in the record area, each at its record size.
  int32_t expectOffset = 0;
  for (int k = 0; k <= 26; ++k) {
    EXPECT_EQ(v.Dir(k, 0), expectOffset) << "kind " << k;
    EXPECT_EQ(v.Dir(k, 1), DefaultRecordSize(k)) << "kind " << k;
    expectOffset += v.Dir(k, 1) * v.Dir(k, 2);
  }
  EXPECT_EQ(v.B() - v.R(), expectOffset);
  EXPECT_EQ(v.Dir(testoHtml, 2), 2);
  EXPECT_EQ(v.Dir(stileParagrafo, 2), 2);  // the two default styles
  EXPECT_EQ(v.Dir(dbloc, 2), 1);

  // Payloads: positions relative to the blob base, sizes in each kind's field.
  EXPECT_EQ(v.Blob(v.I32(testoHtml, cover, 0), v.I32(testoHtml, cover, 185)), std::string("<Z S0 >ciao\0", 12));
  EXPECT_EQ(v.Blob(v.I32(testoHtml, page, 0), v.I32(testoHtml, page, 185)), std::string("<Z S0 >due\0", 11));
  EXPECT_EQ(v.I32(testoHtml, page, 239), 0);
  EXPECT_EQ(v.I32(testoHtml, page, 243), 0);
  EXPECT_EQ(v.Blob(v.I32(genLink, file, 0), v.I32(genLink, file, 85)), "abc");
  EXPECT_EQ(v.Blob(v.I32(immagine, pic, 0), v.I32(immagine, pic, 174)),
            std::string(kGif.begin(), kGif.end()));
  EXPECT_NE(v.I32(tabellaHtml, tab, 81), 0);
  EXPECT_EQ(v.Blob(v.I32(tabellaHtml, tab, 0), GetI16(v.Rec(tabellaHtml, tab) + 85)), std::string("\1\2\3\4"));
  EXPECT_EQ(v.Blob(v.I32(tabellaHtml, tab, 58), v.I32(tabellaHtml, tab, 62)),
            std::string(attr.begin(), attr.end()));
  EXPECT_EQ(v.I32(tabellaHtml, emptyTab, 0), 0);
  EXPECT_EQ(v.I32(tabellaHtml, emptyTab, 81), 0);
  EXPECT_EQ(v.I32(tabellaHtml, emptyTab, 58), 0);
  // Kinds without a main payload keep their own field at offset 0.
  EXPECT_EQ(v.I32(immagineNew, ref, 0), pic);
  EXPECT_EQ(v.Str(keyword, 0, 0, 79), "parola");

  // Page fields.
  const uint8_t* p = v.Rec(testoHtml, page);
  EXPECT_EQ(v.Str(testoHtml, page, 5, 71), "Seconda");
  EXPECT_EQ(p[4], 0);
  EXPECT_EQ(GetI16(p + 77), 1);
  EXPECT_EQ(GetI16(p + 79), 2);
  EXPECT_EQ(GetI32(p + 81), -1);
  EXPECT_EQ(GetI32(p + 101), 0xF0F0F0);
  EXPECT_EQ(GetI32(p + 105), 0);
  EXPECT_EQ(GetI32(p + 109), 1);
  EXPECT_EQ(GetI32(p + 113), -1);
  EXPECT_EQ(p[195], 2);
  EXPECT_EQ(GetI16(p + 191), 1040);
  EXPECT_EQ(GetI32(p + 227), -1);
  EXPECT_EQ(GetI32(p + 231), cover);
  EXPECT_EQ(GetI32(p + 235), -1);
  EXPECT_EQ(v.Rec(internetLink, web)[4], 7);

  // Default styles.
  EXPECT_EQ(v.Str(stileParagrafo, 0, 5, 32), "[nessuno stile]");
  EXPECT_EQ(v.Str(stileParagrafo, 1, 5, 32), "[nessuno stile tabella]");
  const uint8_t* s0 = v.Rec(stileParagrafo, 0);
  EXPECT_EQ(s0[4], 1);
  EXPECT_EQ(GetPString(s0 + 39, 32), "Arial");
  EXPECT_EQ(GetI16(s0 + 72), 10);
  EXPECT_EQ(GetI16(s0 + 79), -1);
  EXPECT_EQ(GetI32(s0 + 81), 0xFF0000);
  EXPECT_EQ(s0[85], 4);
  EXPECT_EQ(GetI16(s0 + 86), 10);
  EXPECT_EQ(GetI16(s0 + 94), -32000);
  EXPECT_EQ(s0[98], 1);
  EXPECT_EQ(GetI16(v.Rec(stileParagrafo, 1) + 86), 0);
  EXPECT_EQ(GetI16(v.Rec(stileParagrafo, 1) + 88), 0);

  // Document properties.
  EXPECT_EQ(v.HI32(1758), MakeId(dbloc, 0));
  const uint8_t* db = v.Rec(dbloc, 0);
  EXPECT_EQ(db[4], 7);
  EXPECT_EQ(db[46], 1);
  EXPECT_EQ(GetPString(db + 17, 15), "db");
  EXPECT_EQ(v.Blob(v.I32(dbloc, 0, 0), v.I32(dbloc, 0, 13)),
            "charset\r\niso-8859-1\r\nnota\r\nriga1\x02\x03riga2\r\n");

  // The writer's own tables are untouched by Build: building twice gives the same bytes.
  EXPECT_EQ(w.Build(), v.d);
  EXPECT_EQ(w.Count(stileParagrafo), 0);
}

TEST(ZebWriter, KnobsForDamagedFiles) {
  TZebWriter w;
  w.SetRecordSize(testoHtml, 242);  // too short for the attribute fields
  w.AddPage("p", "<Z S0 >x");
  w.SetRecordSize(internetLink, 700);
  w.AddInternetLink("mailto:a@b.it");
  w.Add(multiMedia, w.NewRecord(multiMedia), {'m'});
  w.SetLastKind(20);
  TZebView v{w.Build()};
  EXPECT_EQ(v.K(), 20);
  EXPECT_EQ(v.R(), 1978 + 12 * 21 + 4);
  EXPECT_EQ(v.Dir(testoHtml, 1), 242);
  EXPECT_EQ(v.Dir(internetLink, 0), 242);
  EXPECT_EQ(v.Dir(internetLink, 1), 700);
  EXPECT_EQ(v.Rec(internetLink, 0)[4], 8);
  EXPECT_EQ(v.Dir(stileParagrafo, 0), 242 + 700);
  // The multimedia object is beyond the directory: neither record nor payload.
  EXPECT_EQ(int(v.d.size()), v.B() + 9);
  EXPECT_EQ(v.Blob(v.I32(testoHtml, 0, 0), v.I32(testoHtml, 0, 185)), std::string("<Z S0 >x\0", 9));

  // A raw header byte wins over the directory length, as in a damaged file.
  TZebWriter raw;
  raw.SetHeaderByte(1620, 27);
  raw.SetVersion(3);
  TZebView r{raw.Build()};
  EXPECT_EQ(r.d[1620], 27);
  EXPECT_EQ(GetI16(r.d.data() + 1621), 3);
  EXPECT_EQ(GetI32(r.d.data() + 1978 + 12 * 27), int32_t(r.d.size()) - (1978 + 12 * 27 + 4));

  // Sizes the format cannot hold are refused rather than written wrongly.
  TZebWriter big;
  EXPECT_THROW(big.Add(tabellaHtml, big.NewRecord(tabellaHtml), std::vector<uint8_t>(40000, 0)),
               std::length_error);
  EXPECT_THROW(big.Add(internetLink, big.NewRecord(internetLink), {'x'}), std::invalid_argument);
  EXPECT_THROW(big.SetPageKeywords(big.AddPage("p", ""), std::vector<int>(21, 0)), std::invalid_argument);
}

// ---- zebtool build, run as the build system runs it.

class ZebBuild : public ::testing::Test {
protected:
  fs::path dir;
  std::string err;

  void SetUp() override {
    dir = fs::temp_directory_path() / ("zebbuild_" + std::to_string(getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir / "pictures");
    std::ofstream(dir / "pictures" / "logo.gif", std::ios::binary).write(reinterpret_cast<const char*>(kGif.data()), kGif.size());
    std::ofstream(dir / "leggimi.txt") << "testo";
  }
  void TearDown() override { fs::remove_all(dir); }

  void Write(const std::string& name, const std::string& text) { std::ofstream(dir / name) << text; }

  int Run(const std::string& manifest, const std::string& out = "out.zeb") {
    ToolResult r = RunZebtool({"build", (dir / manifest).string(), (dir / out).string()});
    err = r.err;
    return r.status;
  }

  TZebView Output() {
    std::ifstream f(dir / "out.zeb", std::ios::binary);
    return TZebView{std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {})};
  }

  std::string PageText(const TZebView& v, int i) { return v.Blob(v.I32(testoHtml, i, 0), v.I32(testoHtml, i, 185)); }
};

TEST_F(ZebBuild, ExpandsSymbolicReferences) {
  Write("b.txt", "{{p:Titolo|N10 A2}}Seconda   \n   pagina\n{{p}}\n{{link:file:leggimi}}file{{end}}");
  Write("m.json", R"({
    "header": {"title": "Libro è", "cover": "b", "summary": "a", "default_footer": "a",
               "colours": {"text": "#102030"}},
    "properties": {"GlobalMargin": "8"},
    "styles": [{"name": "Titolo", "size": 18, "style": ["bold", "italic"], "alignment": "center"}],
    "keywords": ["uno"],
    "links": [{"name": "sito", "target": "https://example.org"}],
    "files": [{"name": "leggimi", "path": "leggimi.txt"}],
    "pictures": [{"name": "logo", "path": "pictures/logo.gif"}],
    "pages": [
      {"name": "a", "title": "Però", "markup": ["{{link:page:b}}vai{{end}} {{link:web:sito}}€{{end}}",
                                              "{{object:pic:logo}}"],
       "keywords": ["due", "uno"], "sequence": 1, "position": 1},
      {"name": "b", "markup_file": "b.txt", "auto_link": {"target": "page:a", "delay": 3}}
    ]
  })");
  ASSERT_EQ(Run("m.json"), 0) << err;
  EXPECT_EQ(err, "");
  TZebView v = Output();
  EXPECT_EQ(GetPString(v.d.data() + 4, 255), "Libro \xE8");
  EXPECT_EQ(v.HI32(1628), 1);
  EXPECT_EQ(v.HI32(1624), 0);
  EXPECT_EQ(v.HI32(1728), 0);
  EXPECT_EQ(v.HI32(1746), 0x302010);
  // Line breaks: one space between words, nothing next to a paragraph header.
  const std::string nul(1, '\0');
  EXPECT_EQ(PageText(v, 0), "<Z S0 ><$00000001>vai<%> <$01000000>\x80<%> <$10000000><$FF000001>" + nul);
  EXPECT_EQ(PageText(v, 1), "<Z S2 A2 N10 >Seconda pagina<Z S0 ><$03000000>file<%>" + nul);
  EXPECT_EQ(v.Str(testoHtml, 0, 5, 71), "Per\xF2");
  EXPECT_EQ(v.Str(testoHtml, 1, 5, 71), "b");  // the name when there is no title
  EXPECT_EQ(GetI32(v.Rec(testoHtml, 0) + 89), 0x302010);
  EXPECT_EQ(GetI32(v.Rec(testoHtml, 1) + 227), 0);
  EXPECT_EQ(GetI16(v.Rec(testoHtml, 1) + 221), 3);

  // Keywords by word: listed ones first, new ones appended.
  EXPECT_EQ(v.Str(keyword, 1, 0, 79), "due");
  EXPECT_EQ(v.I32(testoHtml, 0, 105), 1);
  EXPECT_EQ(v.I32(testoHtml, 0, 109), 0);
  EXPECT_EQ(v.I32(testoHtml, 0, 113), -1);

  // The picture: size from the GIF header; the placed picture refers to it.
  EXPECT_EQ(GetI16(v.Rec(immagine, 0) + 85), 7);
  EXPECT_EQ(GetI16(v.Rec(immagine, 0) + 87), 3);
  EXPECT_EQ(v.Str(immagine, 0, 94, 75), "logo.gif");
  EXPECT_EQ(v.I32(immagineNew, 0, 0), 0);
  EXPECT_EQ(v.Str(genLink, 0, 5, 78), "leggimi.txt");

  // User styles come after the two built-in ones.
  const uint8_t* st = v.Rec(stileParagrafo, 2);
  EXPECT_EQ(GetPString(st + 5, 32), "Titolo");
  EXPECT_EQ(GetI16(st + 72), 18);
  EXPECT_EQ(st[78], 3);
  EXPECT_EQ(st[99], 2);

  EXPECT_EQ(IdKind(v.HI32(1758)), dbloc);
  int db = IdIndex(v.HI32(1758));
  EXPECT_EQ(v.Blob(v.I32(dbloc, db, 0), v.I32(dbloc, db, 13)), "charset\r\niso-8859-1\r\nglobalmargin\r\n8\r\n");
}

TEST_F(ZebBuild, ErrorsGiveOneLineAndNoFile) {
  struct Case {
    const char* manifest;
    const char* expect;  // part of the message
  };
  const Case cases[] = {
      {nullptr, "non trovato"},
      {"{ \"pages\": [ ", "JSON non valido"},
      {R"({"pages": [{"name": "a", "markup": "{{link:page:zeta}}x{{end}}"}]})", "pagina \"zeta\" inesistente"},
      {R"({"pages": [{"name": "a", "markup": "x"}], "header": {"cover": "b"}})", "header.cover"},
      {R"({"pages": [{"name": "a", "markup": "x", "colour": "#000000"}]})", "chiave sconosciuta \"colour\""},
      {R"({"pages": [{"name": "a", "markup": "Ω"}]})", "U+03A9"},
      {R"({"pages": [{"name": "a", "markup_file": "manca.txt"}]})", "manca.txt"},
      {R"({"pages": [{"name": "a", "markup": "x"}, {"name": "a", "markup": "y"}]})", "ripetuta"},
      {R"({"pages": [{"name": "a", "markup": "<Y y1 x"}]})", "&lt;"},
      {R"({"pages": [{"name": "a", "markup": "{{p:Nessuno}}x"}]})", "stile \"Nessuno\" inesistente"},
      {R"({"pages": [{"name": "a", "markup": "{{p:|A2 Z4}}x"}]})", "\"Z\""},
      {R"({"pages": [{"name": "a", "markup": "x", "title": "Un titolo di pagina molto più lungo di settantuno caratteri, davvero troppo"}]})",
       "troppo lungo"},
      {R"({"pictures": [{"name": "p", "path": "leggimi.txt"}], "pages": [{"name": "a", "markup": "x"}]})",
       "width"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.manifest ? c.manifest : "(missing)");
    if (c.manifest) Write("m.json", c.manifest);
    else fs::remove(dir / "m.json");
    EXPECT_EQ(Run("m.json"), 1);
    EXPECT_EQ(err.rfind("Errore!: ", 0), 0u) << err;
    EXPECT_NE(err.find(c.expect), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_FALSE(fs::exists(dir / "out.zeb"));
  }
}

TEST(ZebSample, BundledGuideIsComplete) {
  std::ifstream f(std::string(LECTRA_BINARY_DIR) + "/samples/guida.zeb", std::ios::binary);
  ASSERT_TRUE(f) << "the build makes samples/guida.zeb";
  TZebView v{std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {})};
  ASSERT_GT(v.d.size(), 2306u);
  EXPECT_EQ(v.K(), 26);
  EXPECT_EQ(GetPString(v.d.data() + 4, 255), "Guida a Lectra");
  int pages = v.Dir(testoHtml, 2);
  ASSERT_GE(pages, 8);
  EXPECT_LT(v.HI32(1628), pages);
  EXPECT_LT(v.HI32(1624), pages);
  EXPECT_NE(v.HI32(1628), v.HI32(1624));
  EXPECT_GE(v.Dir(stileParagrafo, 2), 4);
  EXPECT_EQ(v.Dir(internetLink, 2), 1);
  EXPECT_EQ(v.Dir(genLink, 2), 3);  // a text file, a sound and a video
  EXPECT_EQ(v.Dir(inizioForm, 2), 5);
  EXPECT_EQ(v.Dir(immagine, 2), 4);
  EXPECT_GE(v.Dir(keyword, 2), 4);
  int db = IdIndex(v.HI32(1758));
  std::string props = v.Blob(v.I32(dbloc, db, 0), v.I32(dbloc, db, 13));
  EXPECT_NE(props.find("charset\r\niso-8859-1\r\n"), std::string::npos);
  EXPECT_NE(props.find("globalmargin\r\n8\r\n"), std::string::npos);
  // Every page text is a complete text, and every link names an existing object.
  int sequenced = 0;
  for (int i = 0; i < pages; ++i) {
    std::string text = v.Blob(v.I32(testoHtml, i, 0), v.I32(testoHtml, i, 185));
    SCOPED_TRACE(text);
    EXPECT_EQ(text.rfind("<Z S", 0), 0u);
    EXPECT_EQ(text.back(), '\0');
    if (GetI16(v.Rec(testoHtml, i) + 77) == 1) ++sequenced;
    for (size_t at = text.find("<$"); at != std::string::npos; at = text.find("<$", at + 1)) {
      TObjId id = TObjId(std::stoul(text.substr(at + 2, 8), nullptr, 16));
      if (IdKind(id) == 0xFF) continue;  // a marker numbers a control of the page, not an object
      EXPECT_LT(IdIndex(id), v.Dir(IdKind(id), 2));
    }
  }
  EXPECT_EQ(sequenced, 5);
}

}  // namespace
