#include <gtest/gtest.h>

#include "writer_fixture.h"

namespace {

using writer_test::PutDate;

TEST(FormatHostDate, WritesIsoDatesAndNothingForNoDate) {
  testing_support::TestHost host;
  struct Case {
    const char* date;  // YYYY-MM-DD, "" for an empty host date
    const char* written;
  };
  const Case cases[] = {
      {"2024-03-07", "2024-03-07"},
      {"2024-03-05", "2024-03-05"},
      {"1999-12-31", "1999-12-31"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.date);
    HostDate date{};
    PutDate(date, c.date);
    char out[256] = "garbage";
    EXPECT_EQ(plugin::FormatHostDate(out, sizeof out, &date), out);
    EXPECT_STREQ(out, c.written);
  }
  char out[256] = "garbage";
  plugin::FormatHostDate(out, sizeof out, nullptr);
  EXPECT_STREQ(out, "");
  // Cut to the buffer it is given.
  HostDate date{};
  PutDate(date, "2024-03-07");
  char small[5];
  plugin::FormatHostDate(small, sizeof small, &date);
  EXPECT_STREQ(small, "2024");
}

TEST(PrzelWal, MissingRateCountsAsOne) {
  testing_support::TestHost host;
  plugin::CZantoriaKHTowary x{};
  struct Case {
    double stored;
    double rate;
  };
  const Case cases[] = {{0.0, 1.0}, {10000.0, 1.0}, {25.0, 0.0025}, {43000.0, 4.3},
                        {0.4, 1.0}, {-0.4, 1.0},     {0.6, 0.00006}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    EXPECT_DOUBLE_EQ(x.przel_wal(c.stored), c.rate);
  }
}

class PurchaseValueTest : public writer_test::WriterTest {};

TEST_F(PurchaseValueTest, SumsPurchaseValuesExceptCodes8And9) {
  Load(R"({"format": "vostra-host-data/1",
    "vatRates": [{"code": 1, "percent": 23}, {"code": 2, "percent": 8}],
    "invoices": [
      {"documentId": 1, "kind": 811, "number": "FV 1", "issueDate": "2024-03-05", "positions": [
        {"name": "A", "quantity": 1, "vatCode": 1, "purchaseValue": 12.34},
        {"name": "B", "quantity": 1, "vatCode": 8, "purchaseValue": 100},
        {"name": "C", "quantity": 1, "vatCode": 9, "purchaseValue": 200},
        {"name": "D", "quantity": 1, "vatCode": 2, "purchaseValue": 0.66}]},
      {"documentId": 2, "kind": 811, "number": "FV 2", "issueDate": "2024-03-05", "positions": [
        {"name": "E", "quantity": 1, "vatCode": 1, "purchaseValue": 1000}]}],
    "corrections": [
      {"documentId": 3, "kind": 103, "number": "K 1", "issueDate": "2024-03-05", "positions": [
        {"rowKind": 1, "name": "F", "quantity": 0.5, "purchasePrice": 0.0333, "vatCode": 1},
        {"rowKind": 2, "name": "G", "quantity": -2, "purchasePrice": 1.25, "vatCode": 1},
        {"rowKind": 1, "name": "H", "quantity": 3, "purchasePrice": 7, "vatCode": 9}]}]})");
  x.kindHandle = plugin::HostGetPositionsKind(kKindInvoiceDomestic);
  EXPECT_DOUBLE_EQ(x.DajWartoscDokumentuWCenachZakupu(1), 130000.0);  // 12.34 + 0.66
  EXPECT_DOUBLE_EQ(x.DajWartoscDokumentuWCenachZakupu(2), 10000000.0);
  x.kindHandle = plugin::HostGetPositionsKind(kKindCorrectionDomestic);
  // 500 x 333 x 0.001 = 166.5 stored units, rounded to a multiple of 100: 200 (0.02); every
  // row the cursor yields counts, whatever its row kind: -2 x 1.25 = -2.50.
  EXPECT_DOUBLE_EQ(x.DajWartoscDokumentuWCenachZakupu(3), 200.0 - 25000.0);
}

}  // namespace
