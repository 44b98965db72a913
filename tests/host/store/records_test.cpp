// Records materialised from an imported document, byte by byte at the offsets of the host's
// layouts; every byte that no field covers must stay zero.
#include <gtest/gtest.h>

#include "store/store.h"
#include "store_fixture.h"

using namespace store_test;

namespace {

// Ł ó d ź in Mazovia.
const std::string kLodz = "\x9C\xA2" "d\xA6";

constexpr const char* kDocument = R"({
  "format": "vostra-host-data/1",
  "firm": {"nip": "123-456-32-18", "name": "Firma Łódź", "nameAlt": "Alt", "street": "Długa",
           "house": "5a", "flat": "12", "postalCode": "00-950", "city": "Warszawa",
           "code": "FIRMA", "idNumber": "012-345", "email": "biuro@firma.pl",
           "emailAlt": "inny@firma.pl"},
  "contractors": [
    {"id": 7, "code": "ABCDEFGHIJKLMNOPQ", "name": "Łódź Handel",
     "address": "00-950 Warszawa          ul. Długa 5/12", "kind": 3, "nip": "526-000-12-46",
     "personName": "Jan Kowalski", "info3": "Informacja", "email": "a@b.pl",
     "accountNumber": 201}
  ],
  "goods": [{"key": 5, "name": "12345678901234567890123456789012345678901", "attr": 3}],
  "invoices": [
    {"documentId": 41, "kind": 811, "number": "FV/1/03/2024", "contractorCode": "ABC",
     "contractorName": "Łódź Handel", "contractorAddress": "ul. Długa 5",
     "contractorNip": "12345678901234", "calcFlags": 1, "saleDate": "2024-03-06",
     "issueDate": "2024-03-07", "paid": "100.5", "toPay": 23.45, "paymentForm": 1,
     "paymentDays": 14, "grossAmount": 123.4567, "vatAmount": 23, "kindFlags": 4608,
     "receivedBy": "Jan", "stateFlags": 1280, "countryCode": "DE", "currency": "EUR",
     "rate": 4.3215, "exportFlags": 4, "procMarks": ["SW", "TP"],
     "gtuMask": ["GTU_01", "GTU_13"], "receiptLink": 1, "contractorId": 7,
     "positions": [
       {"name": "Mąka", "code": "", "quantity": 1.5, "unit": "kg", "price": 2.89,
        "valueAlt": "4.335", "vatCode": 3, "vatValue": 0.22, "value": 4.34, "priceAlt": 2.75,
        "classification": "10.61.21", "purchaseValue": 3, "warehouse": 2}
     ]}
  ],
  "corrections": [
    {"documentId": 9, "kind": 103, "number": "KOR/1/24", "correctedNumber": "FV/1/03/2024",
     "correctedDate": "2024-02-29", "contractorCode": "ABC", "contractorName": "Kowal",
     "contractorAddress": "Rynek 1", "contractorNip": "123", "calcFlags": 1,
     "issueDate": "2024-03-10", "paymentForm": 2, "paymentDays": 7, "grossAmount": -12.3,
     "vatAmount": -2.3, "kindFlags": 1024, "receivedBy": "Ala", "correctionText": "Zwrot",
     "saleDate": "", "countryCode": "", "currency": "PLN", "exportFlags": 0, "procMarks": 2,
     "gtuMask": -1, "stateFlags": 32, "rate": 1, "contractorId": 7,
     "positions": [
       {"rowKind": 1, "name": "Cukier", "code": "C1", "quantity": -1.5, "unit": "",
        "price": 4.59, "valueAlt": -6.885, "vatCode": 2, "vatValue": -0.55, "value": -6.89,
        "purchasePrice": 0.0333, "classification": "10.81", "warehouse": 3}
     ]}
  ]
})";

class RecordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(host_.Import(kDocument, &error)) << error;
  }
  testing_support::TestHost host_;
};

TEST_F(RecordsTest, InvoiceHeaderIsMaterialisedByteExact) {
  HostCursor cursor{};
  HostTable* table = HostGetTable(kTableTspr);
  ASSERT_EQ(HostCursorOpen(&cursor, table, 811, nullptr, 0, 0), 1);
  ASSERT_EQ(HostCursorNext(&cursor), 1);
  ExpectRecord(table->record, 1469,
               {{"number", 2, Text("FV/1/03/2024", 34)},
                {"contractorCode", 36, Text("ABC", 17)},
                {"contractorName", 53, Text(kLodz + " Handel", 101)},
                {"contractorAddress", 154, Text("ul. D\x92uga 5", 51)},
                {"contractorNip (fills its field)", 205, "12345678901234"},
                {"calcFlags", 219, I16(1)},
                {"saleDate", 221, Text("20240306", 9)},
                {"issueDate", 230, Text("20240307", 9)},
                {"paid", 239, F64(1005000)},
                {"toPay", 247, F64(234500)},
                {"paymentForm", 255, I16(1)},
                {"paymentDays", 257, I16(14)},
                {"grossAmount", 259, F64(1234567)},
                {"vatAmount", 275, F64(230000)},
                {"kindFlags", 403, I16(0x1200)},
                {"receivedBy", 405, Text("Jan", 143)},
                {"stateFlags", 548, I32(0x500)},
                {"countryCode", 578, Text("DE", 3)},
                {"currency", 581, Text("EUR", 258)},
                {"rate", 839, F64(43215)},
                {"exportFlags", 928, "\x04"},
                {"procMarks", 1382, I16(5)},
                {"gtuMask", 1384, I32(0x1001)},
                {"receiptLink", 1396, I16(1)},
                {"contractorId", 1453, I32(7)},
                {"documentId", 1465, I32(41)}});
  HostCursorFree(&cursor);
}

TEST_F(RecordsTest, InvoicePositionIsMaterialisedByteExact) {
  HostTable* table = nullptr;
  HostQuery query{};
  HostCursor cursor{};
  HostCursor documents{};
  ASSERT_EQ(HostCursorOpen(&documents, HostGetTable(kTableTspr), 811, nullptr, 0, 0), 1);
  ASSERT_EQ(HostCursorNext(&documents), 1);
  HostQueryPrepare(812, &table, &query, 41);
  ASSERT_EQ(HostQueryCheck(&query), 0);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->number, kTableTsprDok);
  ASSERT_EQ(HostCursorOpen(&cursor, table, 812, &query, 0, 0), 1);
  ASSERT_EQ(HostCursorNext(&cursor), 1);
  EXPECT_EQ(HostQueryMatches(table->record, table), 1);
  ExpectRecord(table->record, 515,
               {{"name", 2, Text("M\x86ka", 121)},
                {"code (empty)", 123, Text("", 17)},
                {"quantity", 140, I32(1500)},
                {"unit", 144, Text("kg", 6)},
                {"price", 150, F64(28900)},
                {"valueAlt", 158, F64(43350)},
                {"vatCode", 166, I16(3)},
                {"vatValue", 168, F64(2200)},
                {"value", 176, F64(43400)},
                {"priceAlt", 192, F64(27500)},
                {"classification", 280, Text("10.61.21", 171)},
                {"purchaseValue", 451, F64(30000)},
                {"warehouse", 509, I16(2)}});
  EXPECT_EQ(HostCursorNext(&cursor), 0);
  HostCursorClose(&cursor);
  HostCursorFree(&cursor);
  HostCursorFree(&documents);
}

TEST_F(RecordsTest, CorrectionAndItsPositionAreMaterialisedByteExact) {
  HostCursor cursor{};
  HostTable* table = HostGetTable(kTableTsprKor);
  ASSERT_EQ(HostCursorOpen(&cursor, table, 103, nullptr, 0, 0), 1);
  ASSERT_EQ(HostCursorNext(&cursor), 1);
  ExpectRecord(table->record, 949,
               {{"number", 2, Text("KOR/1/24", 17)},
                {"correctedNumber", 19, Text("FV/1/03/2024", 17)},
                {"correctedDate", 36, Text("20240229", 9)},
                {"contractorCode", 45, Text("ABC", 17)},
                {"contractorName", 62, Text("Kowal", 101)},
                {"contractorAddress", 163, Text("Rynek 1", 51)},
                {"contractorNip", 214, Text("123", 14)},
                {"calcFlags", 228, I16(1)},
                {"issueDate", 230, Text("20240310", 9)},
                {"paymentForm", 255, I16(2)},
                {"paymentDays", 257, I16(7)},
                {"grossAmount", 259, F64(-123000)},
                {"vatAmount", 275, F64(-23000)},
                {"kindFlags", 341, I16(0x400)},
                {"receivedBy", 345, Text("Ala", 31)},
                {"correctionText", 376, Text("Zwrot", 112)},
                {"currency", 517, Text("PLN", 57)},
                {"procMarks", 820, I16(2)},
                {"gtuMask", 822, I32(-1)},
                {"stateFlags", 826, I32(0x20)},
                {"rate", 913, F64(10000)},
                {"contractorId", 933, I32(7)},
                {"documentId", 945, I32(9)}});

  HostTable* positions = nullptr;
  HostQuery query{};
  HostCursor rows{};
  HostQueryPrepare(104, &positions, &query, 9);
  ASSERT_EQ(HostQueryCheck(&query), 0);
  ASSERT_EQ(HostCursorOpen(&rows, positions, 104, &query, 0, 0), 1);
  ASSERT_EQ(HostCursorNext(&rows), 1);
  ExpectRecord(positions->record, 256,
               {{"name", 2, Text("Cukier", 121)},
                {"code", 123, Text("C1", 17)},
                {"quantity", 140, I32(-1500)},
                {"price", 150, F64(45900)},
                {"valueAlt", 158, F64(-68850)},
                {"vatCode", 166, I16(2)},
                {"vatValue", 168, F64(-5500)},
                {"value", 176, F64(-68900)},
                {"rowKind", 184, I16(1)},
                {"purchasePrice", 192, F64(333)},
                {"classification", 200, Text("10.81", 50)},
                {"warehouse", 250, I16(3)}});
  HostCursorFree(&rows);
  HostCursorFree(&cursor);
}

TEST_F(RecordsTest, ContractorFirmAndGoodsAreMaterialisedByteExact) {
  *HostContractorKey() = 7;
  ASSERT_EQ(HostFindContractor(-1), 1);
  ExpectRecord(RecordOf(kTableK4), 1536,
               {{"code (fills its field)", 2, "ABCDEFGHIJKLMNOPQ"},
                {"name", 19, Text(kLodz + " Handel", 101)},
                {"address", 120,
                 Text("00-950 Warszawa          ul. D\x92uga 5/12", 51)},
                {"kind", 171, I16(3)},
                {"nip", 176, Text("526-000-12-46", 18)},
                {"personName", 194, Text("Jan Kowalski", 387)},
                {"info3", 581, Text("Informacja", 274)},
                {"email", 855, Text("a@b.pl", 81)},
                {"accountNumber", 936, I32(201)},
                {"id", 1532, I32(7)}});

  ExpectRecord(RecordOf(kTableDDek), 2750,
               {{"nip", 0, Text("123-456-32-18", 42)},
                {"name", 42, Text("Firma " + kLodz, 269)},
                {"street", 311, Text("D\x92uga", 21)},
                {"house", 332, Text("5a", 7)},
                {"flat", 339, Text("12", 7)},
                {"postalCode", 346, Text("00-950", 7)},
                {"city", 353, Text("Warszawa", 270)},
                {"nameAlt", 623, Text("Alt", 1410)},
                {"code", 2033, Text("FIRMA", 179)},
                {"idNumber", 2212, Text("012-345", 114)},
                {"emailAlt", 2326, Text("inny@firma.pl", 41)},
                {"email", 2367, Text("biuro@firma.pl", 383)}});

  ASSERT_TRUE(host_.host().store->LoadGoodsRecord(5));
  ExpectRecord(RecordOf(kTableK9), 1024,
               {{"name (fills its field)", 2, "12345678901234567890123456789012345678901"},
                {"attr", 1022, I16(3)}});
}

TEST_F(RecordsTest, ContractorThatIsNotFoundLeavesAnEmptyRecord) {
  *HostContractorKey() = 7;
  ASSERT_EQ(HostFindContractor(-1), 1);
  *HostContractorKey() = 8;
  EXPECT_EQ(HostFindContractor(-1), 0);
  ExpectRecord(RecordOf(kTableK4), 1536, {});
  *HostContractorKey() = 0;
  EXPECT_EQ(HostFindContractor(-1), 0);
}

TEST_F(RecordsTest, GoodsCatalogueListsKeysNamesAndAttributes) {
  auto goods = host_.host().store->ListGoods();
  ASSERT_EQ(goods.size(), 1u);
  EXPECT_EQ(goods[0].key, 5);
  EXPECT_EQ(goods[0].name, "12345678901234567890123456789012345678901");
  EXPECT_EQ(goods[0].attr, 3);
  EXPECT_FALSE(host_.host().store->LoadGoodsRecord(6));
  ExpectRecord(RecordOf(kTableK9), 1024, {});
}

}  // namespace
