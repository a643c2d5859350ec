// The sample ebook's pages as zebtool reads, lays out and writes them back,
// compared with the dumps kept under tests/expected/guida/. A change that
// moves a line or a font change shows up here as a difference in the dump.
//
// To accept a change on purpose, rerun with LECTRA_UPDATE_EXPECTED=1: the
// dumps are rewritten from the current output (review them with git diff).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "testutil.h"

namespace {

const std::string kGuide = std::string(LECTRA_BINARY_DIR) + "/samples/guida.zeb";
const std::filesystem::path kExpected = std::filesystem::path(LECTRA_SOURCE_DIR) / "tests" / "expected" / "guida";

bool Updating() {
  const char* v = std::getenv("LECTRA_UPDATE_EXPECTED");
  return v && *v && std::string(v) != "0";
}

// Compares one dump with its file, or writes the file when updating.
void Check(const std::string& name, const std::vector<std::string>& args) {
  const ToolResult r = RunZebtool(args);
  ASSERT_EQ(r.status, 0) << name << ": " << r.err;
  const std::filesystem::path file = kExpected / name;
  if (Updating()) {
    std::filesystem::create_directories(kExpected);
    std::ofstream(file, std::ios::binary) << r.out;
    return;
  }
  ASSERT_TRUE(std::filesystem::exists(file)) << file << " is missing: run with LECTRA_UPDATE_EXPECTED=1";
  EXPECT_TRUE(ReadAll(file.string()) == r.out) << name << " differs from " << file
                                               << " (LECTRA_UPDATE_EXPECTED=1 rewrites it)";
}

int PageCount() {
  int pages = 0;
  while (RunZebtool({"text", kGuide, std::to_string(pages)}).status == 0) ++pages;
  return pages;
}

}  // namespace

TEST(GoldenDumps, SamplePagesReadLaidOutAndRewrittenAsKept) {
  const int pages = PageCount();
  ASSERT_GT(pages, 5);
  for (int p = 0; p < pages; ++p) {
    const std::string n = std::to_string(p);
    Check("paragraphs_" + n + ".json", {"paragraphs", kGuide, n});
    Check("layout_" + n + ".json", {"layout", kGuide, n, "--width", "640"});
    // Narrow and zoomed: more breaks, carried words, overflowing words.
    Check("layout_" + n + "_narrow_zoom15.json", {"layout", kGuide, n, "--width", "240", "--zoom", "15"});
    Check("rewrite_" + n + ".txt", {"rewrite", kGuide, n});
  }
  // No dump is left over from a page that no longer exists.
  if (!Updating())
    for (const auto& e : std::filesystem::directory_iterator(kExpected)) {
      const std::string f = e.path().filename().string();
      const std::string page = f.substr(f.find('_') + 1);
      EXPECT_LT(std::atoi(page.c_str()), pages) << f;
    }
}
