// Complete export files, byte for byte, against expected files written out by hand from the
// format's block templates (fixtures/*.expected.txt, UTF-8 with LF in the repository; the test
// turns them into Windows-1250 with CR LF, the form of the finished file).
#include <gtest/gtest.h>

#include <string>

#include "run_fixture.h"

namespace {

using run_test::ExpectedExport;
using run_test::RunHost;
using run_test::SameFile;

struct GoldenCase {
  const char* name;
  const char* fixture;   // host data
  const char* expected;  // export file
  int sales;
  int corrections;
};

// invoices: each of the four sales kinds; gross- and net-calculated; an advance invoice of the
//   receipts table and a partial advance invoice; EUR; VAT codes 5 and 8; GTU and procedure
//   markings, WEW, FP and split payment; a contractor that is not in the database; two goods
//   whose decree rows share one account; a document issued on the last day of the range.
// corrections: each of the three correction kinds; no sale date; position, goods and other
//   rows; a net-calculated correction whose price is converted from gross; a cancelled one
//   issued for receipts with VAT code 9.
const GoldenCase kGoldenCases[] = {
    {"invoices", "invoices.json", "invoices.expected.txt", 5, 0},
    {"corrections", "corrections.json", "corrections.expected.txt", 0, 3},
};

TEST(ExportFile, UnattendedRunWritesTheWholeFile) {
  for (const GoldenCase& c : kGoldenCases) {
    SCOPED_TRACE(c.name);
    RunHost h;
    h.ImportFixture(c.fixture);
    h.WriteSettings(std::string("[ZantoriaMK]\nOpcje=3,0,0,0,0\n") + run_test::kRegisters);

    EXPECT_EQ(h.Run(), 0);

    EXPECT_TRUE(SameFile(ExpectedExport(c.expected), h.Exported()));
    EXPECT_TRUE(h.sink.Shown(run_test::Summary(c.sales, c.corrections)));
    EXPECT_EQ(h.ExportFolder(), std::vector<std::string>{"VOSTRA.TXT"});
  }
}

TEST(ExportFile, NoKindChosenGivesTheHeaderAlone) {
  RunHost h;
  h.ImportFixture("invoices.json");
  h.WriteSettings("[ZantoriaMK]\nOpcje=0,0,0,0,0\n");

  h.Run();

  EXPECT_TRUE(SameFile(ExpectedExport("info_only.expected.txt"), h.Exported()));
  EXPECT_TRUE(h.sink.Shown(run_test::Summary(0, 0)));
}

}  // namespace
