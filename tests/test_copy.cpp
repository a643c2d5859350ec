// Copying from a shown page to the clipboard, the plain text of a box, and
// the zebtool copy and export commands.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QRegularExpression>
#include <sstream>

#include "document/records.h"
#include "document/strutil.h"
#include "pageobjects/boxclip.h"
#include "pageobjects/image.h"
#include "pageobjects/objectclip.h"
#include "pageobjects/table.h"
#include "pageobjects/zebbox.h"
#include "pageobjects/zebframeset.h"
#include "testutil.h"
#include "text/nativeclip.h"

namespace fs = std::filesystem;

namespace {

const std::string kSample = std::string(LECTRA_BINARY_DIR) + "/samples/guida.zeb";

struct ShownPage : DocFixture {
  TZebWriter w;
  std::unique_ptr<TInsiemeCornici> frames;
  TZEBbox* Show(int page = 0) {
    EXPECT_TRUE(OpenBuilt(w));
    frames = std::make_unique<TInsiemeCornici>();
    frames->SetReadOnly(true);
    frames->SetAutoJump(false);
    frames->resize(500, 400);
    frames->SetLinkedZEBset(doc.get());
    frames->SetMainPageNumber(page);
    return frames->MainBox();
  }
  ~ShownPage() {
    if (frames) frames->SetClosing(true);
  }
};

std::string Text(const QMimeData& m) { return m.text().toStdString(); }

size_t Count(const std::string& s, const std::string& what) {
  size_t n = 0;
  for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + what.size())) ++n;
  return n;
}

// Words of `text` that appear in `in`, in their order.
bool WordsInOrder(const std::string& in, const std::vector<std::string>& words) {
  size_t at = 0;
  for (auto& w : words) {
    at = in.find(w, at);
    if (at == std::string::npos) return false;
    at += w.size();
  }
  return true;
}

}  // namespace

TEST(CopyClipboard, AllFormsOfASelectionStartingInsideALink) {
  ShownPage f;
  const int link = f.w.AddInternetLink("http://example.org/a?b=1&c=2");
  f.w.AddPage("Pagina", "<Z S0 >Vedi <$" + str::IdToHex(MakeId(internetLink, link)) +
                            ">il sito<%> {qui} \xE8 bello<Z S0 y1 >Seconda riga");
  TZEBbox* box = f.Show();
  ASSERT_NE(box, nullptr);
  box->SelectRange(0, 8, 1, 7);  // from inside "il sito" to inside the second paragraph
  ASSERT_TRUE(CopySelectionToClipboard(*box));
  const QMimeData* m = QApplication::clipboard()->mimeData();
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(Text(*m), "sito {qui} \xC3\xA8 bello\r\nSeconda");
  const QByteArray rtf = m->data(kRtfMime);
  EXPECT_EQ(rtf, m->data(kRtfMimeAlt));
  EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\deff0"));
  EXPECT_TRUE(rtf.endsWith("}"));  // no 0 byte on this platform
  EXPECT_TRUE(rtf.contains("\\{qui\\} \\'e8 bello\\par \r\n")) << rtf.toStdString();
  const QString html = m->html();
  EXPECT_TRUE(html.contains("<a href=\"http://example.org/a?b=1&amp;c=2\">")) << html.toStdString();
  EXPECT_TRUE(html.contains(QString::fromUtf8("{qui} è bello")));
  const QByteArray native = m->data(kNativeClipFormat);
  ASSERT_GT(native.size(), 16);
  EXPECT_EQ(native[0], 1);
  EXPECT_TRUE(native.endsWith(QByteArray("Seconda", 7) + '\0'));
  // Nothing selected: nothing is copied and the clipboard keeps what it had.
  box->ClearSelection();
  EXPECT_FALSE(CopySelectionToClipboard(*box));
  EXPECT_EQ(Text(*QApplication::clipboard()->mimeData()), "sito {qui} \xC3\xA8 bello\r\nSeconda");
}

TEST(CopyClipboard, SelectAllAndBoxTextOfTheSample) {
  DocFixture f;
  ASSERT_TRUE(f.doc->Open(kSample));
  TInsiemeCornici frames;
  frames.SetReadOnly(true);
  frames.resize(600, 500);
  frames.SetLinkedZEBset(f.doc.get());
  frames.SetMainPageNumber(1);
  TZEBbox* box = frames.MainBox();
  ASSERT_NE(box, nullptr);
  const std::string text = BoxPlainText(*box);
  EXPECT_TRUE(WordsInOrder(text, {"Sommario", "\r\nLa guida", "capitoli", "\r\nAprire un ebook\r\n", "lunga"})) << text;
  // Copying the whole box gives the same text.
  box->SelectRange(0, 0, box->ParagraphCount() - 1, int(box->Paragraph(box->ParagraphCount() - 1)->text.size()));
  TSelectionRange r;
  ASSERT_TRUE(SelectionOf(*box, r));
  auto mime = SelectionMimeData(*box, r);
  EXPECT_EQ(mime->text().toStdString(), f.doc->CodePage().ToUtf8(text));
  frames.SetClosing(true);
}

TEST(CopyTool, ContractOfZebtoolCopy) {
  const ToolResult all = RunZebtool({"copy", kSample, "1", "--format", "text"});
  EXPECT_EQ(all.status, 0) << all.err;
  EXPECT_TRUE(all.out.starts_with("Sommario\r\nLa guida \xC3\xA8 divisa"));
  const ToolResult two = RunZebtool({"copy", kSample, "1", "--from", "2", "--to", "3", "--format", "text"});
  EXPECT_EQ(two.out, "Aprire un ebook\r\nSeguire i collegamenti");
  const ToolResult rtf = RunZebtool({"copy", kSample, "1", "--from", "0", "--to", "1", "--format", "rtf"});
  EXPECT_TRUE(rtf.out.starts_with("{\\rtf1\\ansi\\deff0{\\fonttbl"));
  EXPECT_EQ(rtf.out.back(), '}');
  EXPECT_NE(rtf.out.find("La guida \\'e8 divisa"), std::string::npos);
  const ToolResult html = RunZebtool({"copy", kSample, "1", "--format", "html"});
  EXPECT_NE(html.out.find("La guida \xC3\xA8 divisa"), std::string::npos);
  EXPECT_NE(html.out.find("</html>"), std::string::npos);
  // Usage errors and pages that do not exist.
  EXPECT_EQ(RunZebtool({"copy", kSample, "1"}).status, 2);
  EXPECT_EQ(RunZebtool({"copy", kSample, "1", "--format", "pdf"}).status, 2);
  EXPECT_EQ(RunZebtool({"copy", kSample, "1", "--from", "3", "--to", "1", "--format", "text"}).status, 2);
  EXPECT_EQ(RunZebtool({"copy", kSample, "999", "--format", "text"}).status, 1);
  EXPECT_EQ(RunZebtool({"copy", "/nessuno.zeb", "0", "--format", "text"}).status, 1);
}

TEST(CopyTool, RtfOfTheStyledPageReadsBackWithARealReader) {
  ScratchDir dir;
  const ToolResult rtf = RunZebtool({"copy", kSample, "1", "--format", "rtf"});
  ASSERT_EQ(rtf.status, 0);
  std::ofstream(dir.File("s.rtf"), std::ios::binary) << rtf.out;
  const std::string cmd = "unrtf --text '" + dir.File("s.rtf") + "' > '" + dir.File("s.txt") + "' 2>/dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << "unrtf is needed (scripts/install-deps.sh installs it)";
  const std::string back = ReadAll(dir.File("s.txt"));
  EXPECT_TRUE(WordsInOrder(back, {"Sommario", "La guida", "divisa in brevi capitoli", "Fate clic", "Aprire un ebook",
                                  "Seguire i collegamenti", "La cronologia", "Cercare", "Stampare e copiare",
                                  "Informazioni", "Pagina seguente", "una pagina lunga"}))
      << back;
  EXPECT_EQ(back.find("\\par"), std::string::npos);
}

TEST(CopyTool, ExportWritesPagesLinkedToEachOtherAndStaysInItsFolder) {
  DocFixture f;
  TZebWriter w;
  const int file = w.AddFile("..\\..\\fuori.bin", {'d', 'a', 't', 'i'});
  w.AddPage("Prima", "<Z S0 >Vai alla <$00000001>seconda<%> o al <$" + str::IdToHex(MakeId(genLink, file)) +
                         ">file<%>");
  w.AddPage("Seconda", "<Z S0 >Torna alla <$00000000>prima<%>");
  ASSERT_TRUE(f.OpenBuilt(w));
  const std::string out = f.dir.File("esportato");
  const ToolResult r = RunZebtool({"export", f.Path(), out});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string first = ReadAll(out + "/pagina-0.html");
  EXPECT_NE(first.find("<a href=\"pagina-1.html\">"), std::string::npos) << first;
  EXPECT_NE(first.find("<a href=\"file/fuori.bin\">"), std::string::npos);
  EXPECT_EQ(ReadAll(out + "/file/fuori.bin"), "dati");
  EXPECT_NE(ReadAll(out + "/pagina-1.html").find("<a href=\"pagina-0.html\">"), std::string::npos);
  const std::string index = ReadAll(out + "/index.html");
  EXPECT_TRUE(WordsInOrder(index, {"pagina-0.html\">Prima", "pagina-1.html\">Seconda"})) << index;
  EXPECT_FALSE(fs::exists(f.dir.path / "fuori.bin"));
  EXPECT_FALSE(fs::exists(fs::path(out).parent_path().parent_path() / "fuori.bin"));
  // The other formats: one file per page.
  ASSERT_EQ(RunZebtool({"export", f.Path(), out + "-t", "--format", "text"}).status, 0);
  EXPECT_EQ(ReadAll(out + "-t/pagina-1.txt"), "Torna alla prima");
  ASSERT_EQ(RunZebtool({"export", f.Path(), out + "-r", "--format", "rtf"}).status, 0);
  EXPECT_NE(ReadAll(out + "-r/pagina-0.rtf").find("{\\info{\\title "), std::string::npos);
  EXPECT_EQ(RunZebtool({"export", f.Path(), out, "--format", "doc"}).status, 2);
}

TEST(CopyTool, ExportOfTheSampleFollowsItsContentsTree) {
  ScratchDir dir;
  ASSERT_EQ(RunZebtool({"export", kSample, dir.File("guida")}).status, 0);
  EXPECT_TRUE(fs::exists(dir.File("guida/pagina-11.html")));
  EXPECT_TRUE(fs::exists(dir.File("guida/immagini")));
  const std::string index = ReadAll(dir.File("guida/index.html"));
  EXPECT_NE(index.find("<h1>Guida a Lectra</h1>"), std::string::npos);
  EXPECT_NE(index.find("pagina-1.html"), std::string::npos) << index;
}

TEST(CopyClipboard, APictureInTheSelectionGoesAlongAsAnImage) {
  ShownPage f;
  const int pic = f.w.AddPicture("punto", "punto.gif", kTinyGif, 1, 1);
  const int ref = f.w.AddPictureRef(pic, "punto");
  f.w.AddPage("Pagina", "<Z S0 >a<$" + str::IdToHex(MakeId(immagineNew, ref)) + "><$FF000001>b");
  TZEBbox* box = f.Show();
  ASSERT_NE(box, nullptr);
  ASSERT_EQ(box->Paragraph(0)->objects.size(), 1u);
  auto mime = SelectionMimeData(*box, TSelectionRange{0, 0, 0, 3});
  EXPECT_TRUE(mime->hasImage());
  EXPECT_EQ(mime->text().toStdString(), "ab");
  // The native stream carries the inline object and its picture.
  const QByteArray native = mime->data(kNativeClipFormat);
  EXPECT_GT(native.size(), 2 * 668);
  EXPECT_TRUE(native.endsWith(QByteArray("<$FF000001>b") + '\0'));
}

TEST(CopyTool, TablesOfAStoredPageAsCellsRowsAndTableRows) {
  DocFixture f;
  TZebWriter w;
  std::vector<uint8_t> rec = w.NewRecord(tabellaHtml);
  rec.resize(tablerec::RecordLength);
  rec[tablerec::Rows] = 2;
  rec[tablerec::Columns] = 2;
  rec[tablerec::Spacing] = 2;
  rec[tablerec::Border] = 1;
  rec[tablerec::WidthMode] = 1;
  rec[tablerec::WidthPercent] = 100;
  PutI32(&rec[tablerec::Background], int32_t(TBackground::kTransparent));
  for (int c = 0; c < 2; ++c) rec[tablerec::ColumnKinds + c] = 0, rec[tablerec::ColumnValues + 2 * c] = 50;
  const int table = w.Add(tabellaHtml, rec);
  w.AddPage("Tabella", "<Z S0 >prima<Z S0 ><$" + str::IdToHex(MakeId(tabellaHtml, table)) +
                           "><$FF000001><Z S0 >a<T><Z S0 >b<T><Z S0 >c<T><Z S0 >d<T><Z S0 >dopo");
  ASSERT_TRUE(f.OpenBuilt(w));
  EXPECT_EQ(RunZebtool({"copy", f.Path(), "0", "--format", "text"}).out, "prima\r\na\tb\r\nc\td\r\ndopo");
  const std::string rtf = RunZebtool({"copy", f.Path(), "0", "--format", "rtf"}).out;
  EXPECT_NE(rtf.find("\\trowd\\trleft0\\trgaph30\\trbrdrt\\brdrs\\brdrw15"), std::string::npos) << rtf;
  // Two columns of 50 % of the text width between A4 margins.
  EXPECT_NE(rtf.find("\\cellx4535\\clbrdrt"), std::string::npos);
  EXPECT_EQ(rtf.find("\\clcbpat"), std::string::npos);  // transparent cells have no shading
  EXPECT_NE(rtf.find("\\cellx9070\r\n\\pard\\intbl"), std::string::npos);
  const std::string html = RunZebtool({"copy", f.Path(), "0", "--format", "html"}).out;
  EXPECT_NE(html.find("</p>\n<table border=\"1\" cellspacing=\"2\" style=\"width:100%\"><tr><td style=\"width:50%\">"),
            std::string::npos)
      << html;
  // Only the table's paragraph: its cells come along.
  EXPECT_EQ(RunZebtool({"copy", f.Path(), "0", "--from", "1", "--to", "1", "--format", "text"}).out,
            "a\tb\r\nc\td\r\n");
}

namespace {

// The sample's page of pictures and tables, shown in a frame set.
struct TablePage : DocFixture {
  TInsiemeCornici frames;
  TZEBbox* box = nullptr;
  TMyyTable* table = nullptr;
  TablePage() {
    EXPECT_TRUE(doc->Open(kSample));
    frames.SetReadOnly(true);
    frames.resize(700, 600);
    frames.SetLinkedZEBset(doc.get());
    frames.SetMainPageNumber(14);
    box = frames.MainBox();
    if (box) table = box->findChild<TMyyTable*>(QString(), Qt::FindDirectChildrenOnly);
  }
  ~TablePage() { frames.SetClosing(true); }
  int Paragraph(const std::string& start) const {
    for (int i = 0; i < box->ParagraphCount(); ++i)
      if (box->Paragraph(i)->text.starts_with(start)) return i;
    return -1;
  }
  // Copies through the frame set from `from`, as after a click in it.
  const QMimeData* Copy(TZEBbox* from) {
    frames.SetFocusedBox(from);
    EXPECT_TRUE(frames.CopyToClipboard());
    return QApplication::clipboard()->mimeData();
  }
};

TNativeClip Native(const QMimeData& m) {
  const QByteArray data = m.data(kNativeClipFormat);
  TNativeClip clip;
  EXPECT_TRUE(ReadNativeClip(std::string_view(data.constData(), size_t(data.size())), nullptr, clip));
  return clip;
}

std::vector<int> Kinds(const std::vector<TNativeEntry>& list) {
  std::vector<int> k;
  for (const auto& e : list) k.push_back(e.kind);
  return k;
}

}  // namespace

TEST(CopyClipboard, SelectionsInsideATableCellAndItsLinkOnTheSample) {
  TablePage f;
  ASSERT_NE(f.table, nullptr);
  TZEBbox* cell = f.table->Cell(1, 0);
  ASSERT_NE(cell, nullptr);
  ASSERT_TRUE(cell->Paragraph(0)->text.starts_with("Testo con un collegamento dentro"));
  // From inside the link to outside it.
  cell->SelectRange(0, 13, 0, 32);
  const QMimeData* m = f.Copy(cell);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(Text(*m), "collegamento dentro");
  const QByteArray rtf = m->data(kRtfMime);
  EXPECT_EQ(rtf, m->data(kRtfMimeAlt));
  EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\deff0{\\fonttbl")) << rtf.toStdString();
  EXPECT_TRUE(rtf.contains("collegamento\\cf1\\ul0  dentro}")) << rtf.toStdString();
  EXPECT_TRUE(m->html().contains(QRegularExpression("<a href=\"[^\"]+\"><span[^>]*>collegamento</span></a> dentro")))
      << m->html().toStdString();
  TNativeClip clip = Native(*m);
  EXPECT_EQ(clip.paragraphs, 1);
  EXPECT_TRUE(clip.markup.ends_with(std::string("><$00000002>collegamento<%> dentro") + '\0')) << clip.markup;
  EXPECT_EQ(Kinds(clip.related), std::vector<int>{stileParagrafo});
  EXPECT_TRUE(clip.links.empty());  // a page is no link object
  // From outside the link to inside it.
  cell->SelectRange(0, 0, 0, 16);
  m = f.Copy(cell);
  EXPECT_EQ(Text(*m), "Testo con un col");
  EXPECT_TRUE(m->data(kRtfMime).contains("Testo con \\cf2\\ul un col}")) << m->data(kRtfMime).toStdString();
  EXPECT_TRUE(Native(*m).markup.ends_with(std::string(">Testo con <$00000002>un col<%>") + '\0'));
}

TEST(CopyClipboard, SelectionAcrossATableWithItsCellsOnTheSample) {
  TablePage f;
  const int p1 = f.Paragraph("Una mappa"), p2 = f.Paragraph("Una cornice");
  ASSERT_GE(p1, 0);
  ASSERT_GT(p2, p1);
  f.box->SelectRange(p1, 4, p2, 9);
  const QMimeData* m = f.Copy(f.box);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(Text(*m),
            "mappa con due zone cliccabili: \r\n"
            "Colonna in percentuale\tFissa\tAutomatica\r\n"
            "Testo con un collegamento dentro la cella.\t\ta\tb\r\nc\td\r\n\r\n"
            "Cella trasparente\tBlu\tFine\r\nUna corni");
  const std::string rtf = m->data(kRtfMime).toStdString();
  EXPECT_EQ(rtf, m->data(kRtfMimeAlt).toStdString());
  EXPECT_EQ(Count(rtf, "\\trowd"), 3u) << rtf;  // the nested table goes flat into its cell
  EXPECT_EQ(Count(rtf, "\\row "), 3u);
  EXPECT_EQ(Count(rtf, "\\cell "), 9u);
  EXPECT_TRUE(WordsInOrder(rtf, {"cliccabili: ", "\\par \r\n\\trowd", "Colonna in percentuale", "\\cell ",
                                 "Testo con ", "un collegamento", "a\\tab ", "b\\line ", "c\\tab ", "d\\cell \\row",
                                 "Cella trasparente", "Fine\\cell \\row \r\n\\pard\\plain", "Una corni}"}))
      << rtf;
  const std::string html = m->html().toStdString();
  EXPECT_EQ(Count(html, "<table"), 2u) << html;
  EXPECT_TRUE(WordsInOrder(html, {"cliccabili: ", "<table", "Colonna in percentuale", "<a href=", "un collegamento",
                                  "<table", ">a<", ">d<", "</table>", "Fine", "</table>", "Una corni"}))
      << html;
  // The picture of the map goes along as an image; the native form holds the
  // map, the table, the picture and the table inside the cells.
  EXPECT_TRUE(m->hasImage());
  const TNativeClip clip = Native(*m);
  EXPECT_EQ(clip.paragraphs, p2 - p1 + 1);
  EXPECT_EQ(Kinds(clip.inlines), (std::vector<int>{immagineNew, tabellaHtml, immagineNew, tabellaHtml}));
  std::vector<int> numbers;
  for (const auto& e : clip.inlines) numbers.push_back(e.id);
  EXPECT_EQ(numbers, (std::vector<int>{6, 7, 8, 9}));
  // Styles of the paragraphs and of the cells' paragraphs, the pictures
  // shown and the picture behind a cell.
  std::vector<std::string> related;
  for (const auto& e : clip.related) related.push_back(std::to_string(e.kind) + ":" + e.object->Name());
  EXPECT_EQ(related, (std::vector<std::string>{"17:Normale", "5:Una biblioteca", "17:[nessuno stile]",
                                               "5:Logo di Lectra", "5:Icona di Lectra", "17:Nota"}));
  EXPECT_TRUE(clip.markup.ends_with(std::string("<Z S4 >Una corni") + '\0'));
  EXPECT_NE(clip.markup.find("<Z S7 >a<T><Z S7 >b<T><Z S7 >c<T><Z S7 >d<T><T>"), std::string::npos) << clip.markup;
}

TEST(CopyClipboard, SelectAllThroughTheFrameSetTakesTheTables) {
  TablePage f;
  f.frames.SetFocusedBox(nullptr);
  f.frames.SelectAll();
  ASSERT_TRUE(f.box->HasSelection());
  ASSERT_TRUE(f.frames.CopyToClipboard());
  const std::string text = Text(*QApplication::clipboard()->mimeData());
  // What the running reader copies is what zebtool copies from the stored page.
  const ToolResult tool = RunZebtool({"copy", kSample, "14", "--format", "text"});
  EXPECT_NE(text.find(tool.out), std::string::npos) << text << "\n----\n" << tool.out;
  EXPECT_NE(text.find("Fissa\tAutomatica\r\n"), std::string::npos);
}

TEST(CopyClipboard, PicturesZonesAndPageBackgroundsCopyThemselves) {
  ShownPage f;
  const int pic = f.w.AddPicture("punto", "punto.gif", kTinyGif, 1, 1);
  const int onPage = f.w.AddPictureRef(pic, "sul foglio");
  const int link = f.w.AddInternetLink("http://example.org/");
  // One zone in slot 0, leading to the web link.
  uint8_t* slot = f.w.RecordOf(immagineNew, onPage).data() + picturerec::Zones;
  PutI32(slot, static_cast<int32_t>(MakeId(internetLink, link)));
  PutI16(slot + 8, 0), PutI16(slot + 10, 0), PutI16(slot + 12, 1), PutI16(slot + 14, 1);
  char marker[16];
  std::snprintf(marker, sizeof marker, "<$%08X>", static_cast<unsigned>(MakeId(immagineNew, onPage)));
  char linkRef[16];
  std::snprintf(linkRef, sizeof linkRef, "<$%08X>", static_cast<unsigned>(MakeId(internetLink, link)));
  const int page = f.w.AddPage("Foglio", std::string("<Z S0 >") + marker + "<$FF000001><Z S0 >" + linkRef + "web<%>");
  PutI32(f.w.RecordOf(testoHtml, page).data() + pagerec::BackPicture, pic);
  TZEBbox* box = f.Show(page);
  ASSERT_NE(box, nullptr);
  TMyyImage* picture = box->findChild<TMyyImage*>();
  ASSERT_NE(picture, nullptr);

  // The picture: its own stream (the picture object as object 1, the picture
  // it shows) and the image.
  f.frames->SetActiveControl(picture);
  ASSERT_TRUE(f.frames->CopyToClipboard());
  const QMimeData* m = QApplication::clipboard()->mimeData();
  ASSERT_TRUE(m->hasFormat(kPictureClipFormat));
  EXPECT_TRUE(m->hasImage());
  TNativeClip clip;
  const QByteArray data = m->data(kPictureClipFormat);
  ASSERT_TRUE(ReadNativeClip(std::string_view(data.data(), data.size()), f.doc.get(), clip));
  EXPECT_EQ(clip.version, 3);
  ASSERT_EQ(clip.inlines.size(), 1u);
  EXPECT_EQ(clip.inlines[0].kind, immagineNew);
  EXPECT_EQ(clip.inlines[0].id, 1);
  ASSERT_EQ(clip.related.size(), 1u);
  EXPECT_EQ(clip.related[0].kind, immagine);
  EXPECT_EQ(clip.markup, std::string("<Z S0 ><$FF000001>") + '\0');

  // A zone: int32 2 and its 16-byte slot.
  ASSERT_EQ(picture->Zones().size(), 1u);
  f.frames->SetActiveControl(picture->Zones()[0]);
  ASSERT_TRUE(f.frames->CopyToClipboard());
  const QByteArray zone = QApplication::clipboard()->mimeData()->data(kZoneClipFormat);
  ASSERT_EQ(zone.size(), 20);
  EXPECT_EQ(zone.left(4), QByteArray("\x02\x00\x00\x00", 4));
  EXPECT_EQ(zone.mid(4), QByteArray(reinterpret_cast<const char*>(slot), 16));

  // A box chosen after the picture copies its selection again.
  box->SelectRange(1, 0, 1, 3);
  f.frames->SetFocusedBox(box);
  ASSERT_TRUE(f.frames->CopyToClipboard());
  EXPECT_EQ(Text(*QApplication::clipboard()->mimeData()), "web");

  // The page's background: a new picture object showing it, and the image.
  ASSERT_EQ(CopyPageBackground(*box), TBackgroundCopy::Copied);
  m = QApplication::clipboard()->mimeData();
  const QByteArray back = m->data(kPictureClipFormat);
  ASSERT_TRUE(ReadNativeClip(std::string_view(back.data(), back.size()), f.doc.get(), clip));
  ASSERT_EQ(clip.inlines.size(), 1u);
  EXPECT_EQ(TPictureRecord(clip.inlines[0].object->Rec()).Image(), pic);
  EXPECT_TRUE(m->hasImage());
  // Without a background nothing is copied; a missing picture is not a picture.
  PutI32(f.w.RecordOf(testoHtml, page).data() + pagerec::BackPicture, 77);
  box = f.Show(page);
  EXPECT_EQ(CopyPageBackground(*box), TBackgroundCopy::NotAPicture);
}
