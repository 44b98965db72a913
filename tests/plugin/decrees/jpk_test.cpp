#include <gtest/gtest.h>

#include "decrees/jpk.h"
#include "plugin/format/writer_fixture.h"

namespace {

using writer_test::PutDate;
using writer_test::Tabs;
using writer_test::Values;

TEST(JpkLists, ProcedureMarks) {
  struct Case {
    std::int32_t mask;
    const char* list;
  };
  const Case cases[] = {
      {0, ""},
      {0x1005, "SW,TP,WSTO_EE"},
      {0x2000, "IED"},
      {0xC000, ""},
      {0x4001, "SW"},
      // a negative 16-bit field widened with its sign: bits 14 to 31 add nothing
      {static_cast<std::int16_t>(0xFFFF),
       "SW,EE,TP,TT_WNT,TT_D,MR_T,MR_UZ,I_42,I_63,B_SPV,B_SPV_DOSTAWA,B_MPV_PROWIZJA,WSTO_EE,IED"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    char out[plugin::kProcedureListSize];
    EXPECT_EQ(plugin::FormatProcedureMarks(out, c.mask), out);
    EXPECT_STREQ(out, c.list);
  }
}

TEST(JpkLists, GtuCodes) {
  char out[plugin::kGtuListSize];
  EXPECT_STREQ(plugin::FormatGtuList(out, 0), "");
  EXPECT_STREQ(plugin::FormatGtuList(out, 0x1001), "GTU_01,GTU_13");
  EXPECT_STREQ(plugin::FormatGtuList(out, static_cast<std::int32_t>(0x80000000)), "GTU_32");
  plugin::FormatGtuList(out, -1);
  EXPECT_EQ(std::strlen(out), 223u);
  EXPECT_EQ(std::string(out).substr(0, 14), "GTU_01,GTU_02,");
  EXPECT_EQ(std::string(out).substr(217), "GTU_32");
}

TEST(JpkLists, JoinStopsAtItsCountAndLimit) {
  const char* names[32] = {"A", "", "BB", "CCC", nullptr, "DD"};
  struct Case {
    int limit;
    std::uint32_t mask;
    int count;
    const char* text;
    int result;
  };
  const Case cases[] = {
      {100, 0x3F, 0, "A,BB,CCC,DD", 0},
      {100, 0x3F, 2, "A,BB", 0},   // an empty or missing name is not counted
      {100, 0x3E, 1, "BB", 0},
      {100, 0, 0, "", 0},
      {100, 0xFFFFFFC0, 0, "", 0},  // bits without names
      {8, 0x3F, 0, "A,BB", 1},     // ",CCC" would make the text reach 8 characters
      {9, 0x3F, 0, "A,BB,CCC", 1},
      {10, 0x3F, 0, "A,BB,CCC", 1},
      {12, 0x3F, 0, "A,BB,CCC,DD", 0},
      {2, 0x01, 0, "A", 0},
      {1, 0x01, 0, "", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.limit << " " << c.mask << " " << c.count);
    char out[128];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(plugin::JoinFlagNames(out, c.limit, c.mask, c.count, names), c.result);
    EXPECT_STREQ(out, c.text);
    // Nothing written past the limit.
    EXPECT_EQ(out[c.limit], '#');
  }
}

class TrailerTest : public writer_test::WriterTest {
 protected:
  void SetUp() override {
    WriterTest::SetUp();
    std::strcpy(x.documentArea.docRegister, "RS");
    std::strcpy(x.documentArea.docNumber, "FV 7/2024");
  }
};

TEST_F(TrailerTest, WritesTheInvoiceTrailer) {
  x.kindHandle = kPositionsInvoiceDomestic;
  HostDate date{};
  PutDate(date, "2024-03-01");
  // An invoice never carries the correction lines, even with a corrected number and date.
  x.WriteJpkTrailer(file, 0x400, 0x3, 0, 3, "X", &date, 1234500.0);
  EXPECT_EQ(Output(), Tabs(R"(\t\tJPK_V7 =WEW,SW,EE
\t\tkwota =123.45
\t\tsymbol FK =RS
\t\tobsluguj jak =RS
\t\tFK nazwa =RS/FV 7/2024
\t\topis FK =
)"));
}

TEST_F(TrailerTest, CorrectionLinesForEveryCorrectionKind) {
  HostDate date{};
  PutDate(date, "2024-02-29");
  for (int kind : {kPositionsCorrectionDomestic, kPositionsCorrectionExport,
                   kPositionsCorrection1838}) {
    x.kindHandle = kind;
    x.WriteJpkTrailer(file, 0, 0, 0, 0, "FV 1/02/2024", &date, -500.0);
  }
  x.kindHandle = kPositionsCorrectionDomestic;
  x.WriteJpkTrailer(file, 0, 0, 0, 0, "", nullptr, 0);
  const std::string out = Output();
  EXPECT_EQ(out.substr(0, out.find("\t\tJPK_V7", 1)), Tabs(R"(\t\tJPK_V7 =
\t\tkwota =-0.05
\t\tsymbol FK =RS
\t\tobsluguj jak =RS
\t\tNazwaKor =FV 1/02/2024
\t\tDataKor =2024-02-29
\t\tFK nazwa =RS/FV 7/2024
\t\topis FK =
)"));
  EXPECT_EQ(Values(out, "NazwaKor ="),
            (std::vector<std::string>{"FV 1/02/2024", "FV 1/02/2024", "FV 1/02/2024", ""}));
  EXPECT_EQ(Values(out, "DataKor ="),
            (std::vector<std::string>{"2024-02-29", "2024-02-29", "2024-02-29", ""}));
}

TEST_F(TrailerTest, WewAndFpRules) {
  struct Case {
    const char* name;
    std::uint32_t stateFlags;
    std::int32_t procMarks;
    std::uint16_t kindFlags;
    int docType;
    const char* docNumber;
    const char* jpk;
  };
  const Case cases[] = {
      {"nothing", 0, 0, 0, 0, "FV 1", ""},
      {"internal only", 0x400, 0, 0, 0, "FV 1", "WEW,"},
      {"internal with marks", 0x400, 0x3, 0, 0, "FV 1", "WEW,SW,EE"},
      {"for receipts", 0, 0, 0x0400, 0, "FV 1", "FP,"},
      {"for receipts, 0x0800", 0, 0, 0x0800, 2, "FV 1", "FP,"},
      {"not for receipts", 0, 0, 0x0500, 0, "FV 1", ""},
      {"type 3 never", 0, 0, 0x0C00, 3, "FV 1", ""},
      {"receipts table with number", 0, 0, 0x0400, 1, "PAR 1", "FP,"},
      {"receipts table without number", 0, 0, 0x0400, 1, "", ""},
      {"mapped correction type 5", 0, 0x1000, 0x0400, 5, "", "FP,WSTO_EE"},
      {"all", 0x400, 0x1, 0x0C00, 0, "FV 1", "WEW,FP,SW"},
  };
  x.kindHandle = kPositionsInvoiceDomestic;
  for (const Case& c : cases) {
    std::strcpy(x.documentArea.docNumber, c.docNumber);
    x.WriteJpkTrailer(file, c.stateFlags, c.procMarks, c.kindFlags, c.docType, nullptr, nullptr,
                      0);
  }
  const auto jpk = Values(Output(), "JPK_V7 =");
  ASSERT_EQ(jpk.size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].name);
    EXPECT_EQ(jpk[i], cases[i].jpk);
  }
}

}  // namespace
