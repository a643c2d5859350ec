// The native clipboard stream of a shown page: the objects it carries, read
// back, and streams that are damaged.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <cstring>

#include "document/records.h"
#include "document/strutil.h"
#include "pageobjects/boxclip.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebframeset.h"
#include "testutil.h"
#include "text/nativeclip.h"
#include "text/zebconv.h"

namespace {

std::string Hex(int kind, int index) { return "<$" + str::IdToHex(MakeId(kind, index)) + ">"; }

// A page whose text links to a chain of seven special links and holds a
// picture with a link and a zone, a table with a link and a picture in its
// cells and a picture behind one cell, and a reference panel.
struct LinkedPage : DocFixture {
  TZebWriter w;
  int specs[8] = {}, links[3] = {}, pictures[3] = {};
  std::unique_ptr<TInsiemeCornici> frames;

  int Spec(int action, int32_t target) {
    std::vector<uint8_t> r = w.NewRecord(speclink);
    r.resize(size_t(DefaultRecordSize(speclink)), 0);
    r[4] = uint8_t(action);
    PutI32(r.data() + 13, target);
    return w.Add(speclink, std::move(r));
  }
  TZEBbox* Show() {
    for (int i = 0; i < 3; ++i) {
      links[i] = w.AddInternetLink("http://" + std::to_string(i) + ".example/");
      pictures[i] = w.AddPicture("p" + std::to_string(i), "p.gif", kTinyGif, 1, 1);
    }
    // Each special link but the last leads to the next one of the text's list.
    for (int k = 0; k < 7; ++k) specs[k] = Spec(1, k < 6 ? 0x6F000000 + k + 1 : MakeId(testoHtml, 0));
    specs[7] = Spec(4, -1);
    const int image = w.AddPictureRef(pictures[0], "mappa");
    std::vector<uint8_t>& ir = w.RecordOf(immagineNew, image);
    PutI32(ir.data() + picturerec::Link, MakeId(internetLink, links[0]));
    PutI32(ir.data() + picturerec::Zones, MakeId(internetLink, links[1]));
    PutI16(ir.data() + picturerec::Zones + 12, 1);
    PutI16(ir.data() + picturerec::Zones + 14, 1);
    const int inCell = w.AddPictureRef(pictures[1], "cella");
    std::vector<uint8_t> t = w.NewRecord(tabellaHtml);
    t.resize(tablerec::RecordLength);
    t[tablerec::Rows] = 1;
    t[tablerec::Columns] = 2;
    t[tablerec::WidthMode] = 1;
    t[tablerec::WidthPercent] = 100;
    PutI32(t.data() + tablerec::Background, int32_t(TBackground::kTransparent));
    PutI32(t.data() + tablerec::HasMain, 1);
    PutI16(t.data() + tablerec::MainSize, 8);
    std::vector<uint8_t> cells(8);
    PutI32(cells.data(), int32_t(TBackground::kTransparent));
    PutI32(cells.data() + 4, int32_t(TBackground::EncodePicture(pictures[2])));
    const int table = w.Add(tabellaHtml, t, cells);
    std::vector<uint8_t> panel(668, 0);
    panel[4] = 22;  // a reference to a page or a link
    PutI32(panel.data() + shortrec::Value, MakeId(internetLink, links[2]));
    const int ref = w.Add(shortObj, panel);
    std::string text = "<Z S0 >";
    for (int k = 0; k < 8; ++k) text += Hex(speclink, specs[k]);
    text += "Vai <$6F000000>avanti<%> e " + Hex(immagineNew, image) + "<$FF000001> fine";
    text += "<Z S0 >" + Hex(tabellaHtml, table) + "<$FF000002><Z S0 >c <$6F000007>indietro<%><T><Z S0 >" +
            Hex(immagineNew, inCell) + "<$FF000003><T>";
    text += "<Z S0 >" + Hex(shortObj, ref) + "<$FF000004>dopo";
    w.AddPage("Pagina", text);
    EXPECT_TRUE(OpenBuilt(w));
    frames = std::make_unique<TInsiemeCornici>();
    frames->SetReadOnly(true);
    frames->resize(500, 400);
    frames->SetLinkedZEBset(doc.get());
    frames->SetMainPageNumber(0);
    return frames->MainBox();
  }
  ~LinkedPage() {
    if (frames) frames->SetClosing(true);
  }
};

// The objects read back, by their numbers in the page's object index.
struct ReadIndex : IObjectIndex {
  const TNativeClip& clip;
  explicit ReadIndex(const TNativeClip& c) : clip(c) {}
  TZEBoggetto* IndexedObject(int n) override {
    for (const auto& e : clip.inlines)
      if (e.id == n) return e.object.get();
    return nullptr;
  }
  int NumberOf(TZEBoggetto* o) override {
    for (const auto& e : clip.inlines)
      if (e.object.get() == o) return e.id;
    return -1;
  }
};

bool SameRecord(const TZEBoggetto& a, const TZEBoggetto& b) {
  uint8_t ra[RecordSize], rb[RecordSize];
  a.Rec().CopyTo(ra);
  b.Rec().CopyTo(rb);
  return std::memcmp(ra, rb, RecordSize) == 0;
}

std::string Stream(const QMimeData& m) {
  const QByteArray d = m.data(kNativeClipFormat);
  return std::string(d.constData(), size_t(d.size()));
}

}  // namespace

TEST(NativeClip, CarriesLinkChainsTheLinksOfObjectsAndTableCells) {
  LinkedPage f;
  TZEBbox* box = f.Show();
  ASSERT_NE(box, nullptr);
  ASSERT_EQ(box->ParagraphCount(), 3);
  box->SelectRange(0, 0, 2, int(box->Paragraph(2)->text.size()));
  ASSERT_TRUE(f.frames->CopyToClipboard());
  const QMimeData* m = QApplication::clipboard()->mimeData();
  const std::string data = Stream(*m);
  // The fields in the order and widths they are written.
  const auto* b = reinterpret_cast<const uint8_t*>(data.data());
  ASSERT_GT(data.size(), 24u);
  EXPECT_EQ(GetI32(b), 1);
  EXPECT_EQ(GetI32(b + 4), 10);                    // link objects
  EXPECT_EQ(GetI32(b + 8), speclink);              // the first one's kind,
  EXPECT_EQ(uint32_t(GetI32(b + 12)), 0x6F000000u);  // its id in the text's list,
  EXPECT_EQ(GetI32(b + 16), f.specs[0]);           // its transfer record: table index,
  EXPECT_EQ(b[20], speclink);                      // kind, the record
  TNativeClip clip;
  ASSERT_TRUE(ReadNativeClip(data, f.doc.get(), clip));
  // The chain of special links stops five steps after the first; the links
  // of the picture and its zone, of the cell and of the panel follow.
  std::vector<uint32_t> ids;
  for (const auto& e : clip.links) ids.push_back(uint32_t(e.id));
  const std::vector<uint32_t> expected = {0x6F000000, 0x6F000001, 0x6F000002, 0x6F000003, 0x6F000004, 0x6F000005,
                                          uint32_t(MakeId(internetLink, f.links[0])),
                                          uint32_t(MakeId(internetLink, f.links[1])), 0x6F000007,
                                          uint32_t(MakeId(internetLink, f.links[2]))};
  EXPECT_EQ(ids, expected);
  for (int k = 0; k < 6; ++k) EXPECT_TRUE(SameRecord(*clip.links[size_t(k)].object, *f.doc->ObjectAt(speclink, f.specs[k])));
  EXPECT_EQ(clip.links[6].object->MainPayload(), f.doc->ObjectAt(internetLink, f.links[0])->MainPayload());
  // The style, the pictures shown (the map's first, which also goes along
  // as an image) and the picture behind the cell.
  std::vector<std::string> related;
  for (const auto& e : clip.related) related.push_back(std::to_string(e.kind) + ":" + e.object->Name());
  EXPECT_EQ(related, (std::vector<std::string>{"17:" + f.doc->ObjectAt(stileParagrafo, 0)->Name(), "5:p0", "5:p2",
                                               "5:p1"}));
  EXPECT_TRUE(m->hasImage());
  std::vector<std::pair<int, int>> inlines;
  for (const auto& e : clip.inlines) inlines.push_back({e.kind, e.id});
  EXPECT_EQ(inlines, (std::vector<std::pair<int, int>>{{immagineNew, 1}, {tabellaHtml, 2}, {immagineNew, 3},
                                                       {shortObj, 4}}));
  EXPECT_EQ(clip.paragraphs, 3);
  EXPECT_EQ(clip.markup.find("<$0A"), std::string::npos);
  EXPECT_NE(clip.markup.find("<$FF000002><Z S0 >c <$6F000007>indietro<%><T><Z S0 ><$FF000003><T>"), std::string::npos)
      << clip.markup;
  // The text read back with the objects read back is the plain form copied.
  ReadIndex index(clip);
  TZEBtoTxt txt(f.doc.get(), &index, nullptr);
  txt.copy = false;
  std::string back;
  txt.Convert(clip.markup, back);
  EXPECT_EQ(back, f.doc->CodePage().FromUtf8(m->text().toStdString()));
  EXPECT_EQ(back, "Vai avanti e  fine\r\nc indietro\t\r\n!RefL:" + str::IdToHex(MakeId(internetLink, f.links[2])) + "dopo");
}

TEST(NativeClip, DamagedStreamsAreRefusedWithoutCrash) {
  LinkedPage f;
  TZEBbox* box = f.Show();
  ASSERT_NE(box, nullptr);
  box->SelectRange(0, 0, 2, 2);
  const std::string good = Stream(*SelectionMimeData(*box, TSelectionRange{0, 0, 2, 2}));
  TNativeClip clip;
  ASSERT_TRUE(ReadNativeClip(good, nullptr, clip));
  // Cut anywhere before its last byte, a stream is refused.
  for (size_t n = 0; n + 1 < good.size(); n += 37) EXPECT_FALSE(ReadNativeClip(good.substr(0, n), nullptr, clip)) << n;
  EXPECT_FALSE(ReadNativeClip(good.substr(0, good.size() - 1), nullptr, clip));
  // Versions: 1 and 3 are read, others are not.
  std::string v = good;
  PutI32(reinterpret_cast<uint8_t*>(v.data()), 3);
  EXPECT_TRUE(ReadNativeClip(v, nullptr, clip));
  PutI32(reinterpret_cast<uint8_t*>(v.data()), 2);
  EXPECT_FALSE(ReadNativeClip(v, nullptr, clip));
  // Counts the data cannot hold, kinds that do not exist.
  for (int32_t count : {-1, 0x7FFFFFFF, 1 << 20}) {
    std::string c = good;
    PutI32(reinterpret_cast<uint8_t*>(c.data()) + 4, count);
    EXPECT_FALSE(ReadNativeClip(c, nullptr, clip)) << count;
  }
  std::string k = good;
  PutI32(reinterpret_cast<uint8_t*>(k.data()) + 8, 200);
  EXPECT_FALSE(ReadNativeClip(k, nullptr, clip));
  // A related object of a kind the list may not hold is left out.
  std::string odd;
  auto add = [&](int32_t v) { odd.append(reinterpret_cast<const char*>(&v), 4); };
  add(1);
  add(0);
  add(1);
  add(internetLink);
  f.doc->ObjectAt(internetLink, f.links[0])->WriteTransfer(odd);
  add(0);
  add(1);
  odd += std::string("<Z S0 >x") + '\0';
  ASSERT_TRUE(ReadNativeClip(odd, nullptr, clip));
  EXPECT_EQ(clip.skipped, 1);
  EXPECT_TRUE(clip.related.empty());
  EXPECT_EQ(clip.markup, std::string("<Z S0 >x") + '\0');
}

TEST(NativeClip, CopyOfTablesNestedAThousandDeepIsBounded) {
  LinkedPage f;
  std::vector<uint8_t> t = f.w.NewRecord(tabellaHtml);
  t.resize(tablerec::RecordLength);
  t[tablerec::Rows] = t[tablerec::Columns] = 1;
  std::string text = "<Z S0 >prima";
  for (int i = 0; i < 1000; ++i) text += "<Z S0 >" + Hex(tabellaHtml, f.w.Add(tabellaHtml, t)) + "<$FF" + [&] {
    char n[8];
    std::snprintf(n, sizeof n, "%06X", i + 1);
    return std::string(n);
  }() + "><Z S0 >c";
  for (int i = 0; i < 1000; ++i) text += "<T>";
  text += "<Z S0 >dopo";
  f.w.AddPage("Annidate", text);
  ASSERT_TRUE(f.OpenBuilt(f.w));
  TInsiemeCornici frames;
  frames.SetReadOnly(true);
  frames.resize(500, 400);
  frames.SetLinkedZEBset(f.doc.get());
  frames.SetMainPageNumber(0);
  frames.SelectAll();
  ASSERT_TRUE(frames.CopyToClipboard());
  const QMimeData* m = QApplication::clipboard()->mimeData();
  const std::string plain = m->text().toStdString();
  EXPECT_TRUE(plain.starts_with("prima\r\n")) << plain.substr(0, 200);
  EXPECT_LT(plain.size(), text.size());
  EXPECT_LT(size_t(m->data(kRtfMime).size()), 40 * text.size());
  EXPECT_LT(size_t(m->html().size()), 80 * text.size());
  TNativeClip clip;
  ASSERT_TRUE(ReadNativeClip(Stream(*m), nullptr, clip));
  EXPECT_LE(clip.inlines.size(), 1000u);
  frames.SetClosing(true);
}
