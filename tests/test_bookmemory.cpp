// Each ebook reopens where it was left, unless a page is asked for.
#include <gtest/gtest.h>

#include "formfixture.h"
#include "platform/settings.h"
#include "shell/bookmemory.h"

TEST(BookMemory, RemembersFiftyBooksByPathAndSize) {
  MemSettings store;
  TSettings settings(store);
  TBookMemory m;
  for (int i = 0; i < 51; ++i) m.Remember("/libri/" + std::to_string(i) + ".zeb", 100 + i, i % 7);
  m.Remember("/libri/50.zeb", 150, 9);  // the same book again moves to the front
  m.Save(settings);
  TBookMemory again;
  again.Load(settings);
  EXPECT_EQ(again.PageFor("/libri/50.zeb", 150), 9);
  EXPECT_EQ(again.PageFor("/libri/1.zeb", 101), 1);
  EXPECT_EQ(again.PageFor("/libri/0.zeb", 100), -1) << "the oldest of 51 is forgotten";
  EXPECT_EQ(again.PageFor("/libri/3.zeb", 999), -1) << "another size is another edition";
  // Damaged values are skipped, not trusted.
  settings.WriteSub(TBookMemory::Subkey, "item0", "abc");
  settings.WriteSub(TBookMemory::Subkey, "item1", "10|-4|/x.zeb");
  settings.WriteSub(TBookMemory::Subkey, "item2", "10|99999999|/y.zeb");
  again.Load(settings);
  EXPECT_EQ(again.PageFor("/x.zeb", 10), -1);
  EXPECT_EQ(again.PageFor("/y.zeb", 10), -1);
}

TEST(BookMemory, TheMainWindowReopensAnEbookWhereItWasLeft) {
  FormFixture f;
  const std::string guide = f.CopyGuide(), other = f.CopyGuide("altro.zeb");
  {
    TMainForm& form = f.Make();
    f.Open(guide);
    const int cover = f.Page();
    f.Visit(5);
    f.Open(other);
    EXPECT_EQ(f.Page(), cover);
    f.Open(guide);
    EXPECT_EQ(f.Page(), 5);
    // A link to a page wins over the remembered one.
    form.Dispatcher().FollowLumoLink("lumo://" + other + "|3", true);
    f.Presented();
    EXPECT_EQ(f.Page(), 3);
  }
  f.form.reset();
  // Kept across runs; a page switch on the command line wins.
  TCommandLine cl;
  cl.ebookPath = guide;
  f.Make(cl);
  f.form->Start();
  f.Presented();
  EXPECT_EQ(f.Page(), 5);
  f.form.reset();
  cl.pageSwitches = {"2"};
  f.Make(cl);
  f.form->Start();
  f.Presented();
  EXPECT_EQ(f.Page(), 2);
}
