// The command-line contract of zebtool: JSON on stdout, one-line messages on
// stderr, exit status 0 / 1 / 2.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "testutil.h"

using nlohmann::json;

namespace {

struct ZebtoolFixture : ::testing::Test {
  ScratchDir dir;
  std::string book;
  void SetUp() override {
    TZebWriter w;
    w.SetTitle("Libro \xE8 bello");  // windows-1252 "è"
    w.SetAuthor("Autrice");
    w.SetHeaderByte(1783, 1);
    w.SetHeaderByte(1786, 2);
    w.SetProperty("CharSet", "iso-8859-1");
    w.SetProperty("GlobalMargin", "6");
    int head = w.AddPage("Testata", "<Z S0 >T");
    w.AddPage("Prima", "<Z S0 >Caff\xE8 &amp; t\xE8<Z S1 >Seconda riga", 1, 1, head, -1);
    w.AddPage("Seconda", "<Z S0 >Due", 1, 2);
    w.AddFile("allegato.txt", {'c', 'i', 'a', 'o'});
    w.AddPicture("Punto", "punto.gif", kTinyGif);
    book = dir.File("libro.zeb");
    w.Save(book);
  }
};

TEST_F(ZebtoolFixture, InfoAndObjects) {
  ToolResult r = RunZebtool({"info", book});
  ASSERT_EQ(r.status, 0) << r.err;
  json j = json::parse(r.out);
  EXPECT_EQ(j["title"], "Libro \xC3\xA8 bello");
  EXPECT_EQ(j["author"], "Autrice");
  EXPECT_EQ(j["contents_available"], true);
  EXPECT_EQ(j["fullscreen"], false);
  EXPECT_EQ(j["window_presentation"], 2);
  EXPECT_EQ(j["global_margin"], 6);
  EXPECT_EQ(j["charset"], "iso-8859-1");
  EXPECT_EQ(j["properties"]["globalmargin"], "6");
  EXPECT_EQ(j["counts"].size(), 27u);
  EXPECT_EQ(j["counts"]["testoHtml"], 3);
  EXPECT_EQ(j["counts"]["stileParagrafo"], 2);
  EXPECT_EQ(j["counts"]["testoHtmlRtf"], 0);

  r = RunZebtool({"objects", book, "testoHtml"});
  ASSERT_EQ(r.status, 0);
  j = json::parse(r.out);
  ASSERT_EQ(j.size(), 3u);
  EXPECT_EQ(j[1]["id"], "00000001");
  EXPECT_EQ(j[1]["name"], "Prima");
  EXPECT_EQ(j[1]["header"], 0);
  EXPECT_EQ(j[1]["footer"], -1);
  EXPECT_EQ(j[1]["description"], "Prima|Collegamento a: Prima");

  r = RunZebtool({"objects", book});
  j = json::parse(r.out);
  EXPECT_EQ(j.back()["kind"], "stileParagrafo");  // kind order, then index order
  EXPECT_EQ(j.back()["index"], 1);
  EXPECT_EQ(j[3]["kind"], "genLink");
  EXPECT_EQ(j[3]["main_size"], 4);

  r = RunZebtool({"object", book, "05000000"});
  EXPECT_EQ(json::parse(r.out)["file_name"], "punto.gif");
  r = RunZebtool({"object", book, "05000009"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "null\n");
}

TEST_F(ZebtoolFixture, TextsPayloadsAndLinks) {
  ToolResult r = RunZebtool({"text", book, "1"});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "\r\nCaff\xC3\xA8 & t\xC3\xA8\r\nSeconda riga");
  r = RunZebtool({"markup", book, "1"});
  EXPECT_EQ(r.out, "<Z S0 >Caff\xE8 &amp; t\xE8<Z S1 >Seconda riga");
  r = RunZebtool({"seq", book, "1"});
  EXPECT_EQ(json::parse(r.out), json::parse(R"({"previous": 1, "next": 2})"));
  EXPECT_EQ(RunZebtool({"text", book, "7"}).status, 1);

  std::string out = dir.File("estratto.txt");
  r = RunZebtool({"extract", book, "03000000", out});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadAll(out), "ciao");
  r = RunZebtool({"picture", book, "05000000"});
  EXPECT_EQ(json::parse(r.out), json::parse(R"({"width": 1, "height": 1, "frames": 1})"));

  r = RunZebtool({"link", book, "lumo://altro.zeb|4"});
  json j = json::parse(r.out);
  EXPECT_EQ(j["ebook"], true);
  EXPECT_EQ(j["same"], false);
  EXPECT_EQ(j["page"], 4);
  EXPECT_EQ(j["path"], dir.File("altro.zeb"));
}

TEST_F(ZebtoolFixture, FailuresAndUsage) {
  std::string bad = dir.File("rotto.zeb");
  WriteBytes(bad, std::vector<uint8_t>(100, 1));
  ToolResult r = RunZebtool({"info", bad});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Informazione: Errore nella lettura file: " + bad + "\n");

  std::vector<uint8_t> v1(2000, 0);
  std::memcpy(v1.data(), "MAVO", 4);
  v1[1620] = 7;
  v1[1621] = 1;
  WriteBytes(bad, v1);
  r = RunZebtool({"info", bad});
  EXPECT_EQ(r.err,
            "Informazione: Attenzione: file salvato con una versione del programma\\nanteriore alla 0.98. "
            "Non pi\xC3\xB9 supportato. UNSUPPORTED\\n\nInformazione: Errore nella lettura file: " + bad + "\n");

  r = RunZebtool({"info", dir.File("manca.zeb")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Attenzione!: " + dir.File("manca.zeb") + " non esiste\n");

  EXPECT_EQ(RunZebtool({}).status, 2);
  EXPECT_EQ(RunZebtool({"info"}).status, 2);
  EXPECT_EQ(RunZebtool({"boh", book}).status, 2);
  EXPECT_EQ(RunZebtool({"objects", book, "nessuno"}).status, 2);
  EXPECT_EQ(RunZebtool({"extract", book, "03000000"}).status, 2);
}

}  // namespace
