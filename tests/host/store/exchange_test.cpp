// The exchange document: refusals that name record, field and reason; all-or-nothing; money
// and quantity scaling; the round trip through dump; the sample generator.
#include <gtest/gtest.h>

#include <sstream>

#include "store/store.h"
#include "store_fixture.h"

using namespace store_test;

namespace {

std::string DumpOf(testing_support::TestHost& h) {
  std::ostringstream out;
  std::string error;
  EXPECT_TRUE(h.host().store->Dump(out, &error)) << error;
  return out.str();
}

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

std::string Goods(const std::string& name) {
  return R"({"goods":[{"key":1,"name":")" + name + "\"}]}";
}

struct Refusal {
  const char* name;
  std::string document;
  std::vector<std::string> parts;  // each must appear in the message
};

TEST(ImportTest, BadDocumentsAreRefusedNamingRecordFieldAndReason) {
  std::string elevenSlots;
  for (int i = 1; i <= 11; ++i)
    elevenSlots += std::string(i > 1 ? "," : "") + "{\"vatCode\":" + std::to_string(i) + "}";
  std::string elevenCodes;
  for (int i = 1; i <= 11; ++i)
    elevenCodes += std::string(i > 1 ? "," : "") + "{\"vatCode\":" + std::to_string(i) + "}";
  const Refusal cases[] = {
      {"unknown field", R"({"contractors":[{"id":1,"nmae":"x"}]})",
       {"contractors[0] (id 1)", "\"nmae\"", "nieznane pole"}},
      {"wrong type", R"({"invoices":[{"documentId":3,"kind":811,"paymentDays":"14"}]})",
       {"invoices[0] (documentId 3)", "\"paymentDays\"", "zły typ"}},
      {"text too long", R"({"contractors":[{"id":2,"code":"ABCDEFGHIJKLMNOPQR"}]})",
       {"contractors[0] (id 2)", "\"code\"", "za długi", "18", "najwyżej 17"}},
      {"Polish letters count as one byte each", Goods(Repeat("ą", 42)),
       {"goods[0] (key 1)", "\"name\"", "42", "najwyżej 41"}},
      {"character Mazovia cannot hold", R"({"contractors":[{"id":3,"name":"5 €"}]})",
       {"contractors[0] (id 3)", "\"name\"", "€", "Mazovia"}},
      {"line feed", R"({"invoices":[{"documentId":4,"kind":811,"number":"A\nB"}]})",
       {"invoices[0] (documentId 4)", "\"number\"", "sterujący (kod 10)"}},
      {"carriage return", R"({"firm":{"name":"A\rB"}})", {"firm", "\"name\"", "kod 13"}},
      {"tab", R"({"paymentForms":[{"code":1,"text":"a\tb"}]})",
       {"paymentForms[0] (code 1)", "\"text\"", "kod 9"}},
      {"NUL", R"({"goods":[{"key":1,"name":"a\u0000b"}]})", {"goods[0]", "kod 0"}},
      {"number beyond a double", R"({"invoices":[{"documentId":1,"kind":811,"paid":4e999}]})",
       {"dokument", "liczba poza zakresem"}},
      {"duplicate contractor id", R"({"contractors":[{"id":1},{"id":1}]})",
       {"contractors[1] (id 1)", "\"id\"", "powtórzony"}},
      {"duplicate document id",
       R"({"invoices":[{"documentId":5,"kind":811},{"documentId":5,"kind":24}]})",
       {"invoices[1] (documentId 5)", "\"documentId\"", "powtórzony"}},
      {"duplicate goods key", R"({"goods":[{"key":2},{"key":2}]})",
       {"goods[1] (key 2)", "powtórzony"}},
      {"duplicate VAT code", R"({"vatRates":[{"code":1,"percent":23},{"code":1}]})",
       {"vatRates[1] (code 1)", "powtórzony kod 1"}},
      {"contractor without id", R"({"contractors":[{"name":"X"}]})",
       {"contractors[0]", "\"id\"", "brak identyfikatora"}},
      {"invoice of a correction kind", R"({"invoices":[{"documentId":6,"kind":103}]})",
       {"invoices[0] (documentId 6)", "\"kind\"", "nieznany rodzaj dokumentu 103"}},
      {"correction of an unknown kind", R"({"corrections":[{"documentId":6,"kind":812}]})",
       {"corrections[0] (documentId 6)", "nieznany rodzaj dokumentu 812"}},
      {"invoice without kind", R"({"invoices":[{"documentId":7}]})",
       {"invoices[0] (documentId 7)", "nieznany rodzaj dokumentu 0"}},
      {"eleven summary slots",
       R"({"invoices":[{"documentId":8,"kind":811,"vatSummary":[)" + elevenSlots + "]}]}",
       {"invoices[0] (documentId 8)", "\"vatSummary\"", "więcej niż dziesięć stawek VAT (11)"}},
      {"eleven VAT codes in the positions",
       R"({"invoices":[{"documentId":8,"kind":811,"positions":[)" + elevenCodes + "]}]}",
       {"invoices[0] (documentId 8)", "\"positions\"", "więcej niż dziesięć"}},
      {"29 February of a common year",
       R"({"invoices":[{"documentId":9,"kind":811,"issueDate":"2023-02-29"}]})",
       {"invoices[0] (documentId 9)", "\"issueDate\"", "2023-02-29", "prawdziwą datą"}},
      {"date without leading zeros",
       R"({"corrections":[{"documentId":9,"kind":103,"saleDate":"2024-3-7"}]})",
       {"corrections[0] (documentId 9)", "\"saleDate\"", "2024-3-7"}},
      {"field of a position",
       R"({"invoices":[{"documentId":10,"kind":811,"positions":[{},{"quantity":"1,5"}]}]})",
       {"invoices[0] (documentId 10), positions[1]", "\"quantity\"", "1,5"}},
      {"quantity beyond the record",
       R"({"invoices":[{"documentId":10,"kind":811,"positions":[{"quantity":2147484}]}]})",
       {"positions[0]", "\"quantity\"", "zakresie"}},
      {"number beyond a 16-bit field",
       R"({"invoices":[{"documentId":11,"kind":811,"paymentDays":40000}]})",
       {"\"paymentDays\"", "40000", "poza zakresem -32768..32767"}},
      {"negative unsigned flags",
       R"({"invoices":[{"documentId":11,"kind":811,"calcFlags":-1}]})",
       {"\"calcFlags\"", "poza zakresem 0..65535"}},
      {"unknown marking name",
       R"({"invoices":[{"documentId":12,"kind":811,"procMarks":["SW","XX"]}]})",
       {"\"procMarks\"", "nieznane oznaczenie \"XX\""}},
      {"GTU beyond 32",
       R"({"invoices":[{"documentId":12,"kind":811,"gtuMask":["GTU_33"]}]})",
       {"\"gtuMask\"", "GTU_33"}},
      {"unknown summary field",
       R"({"invoices":[{"documentId":13,"kind":811,"vatSummary":[{"vatCode":1,"nett":1}]}]})",
       {"invoices[0] (documentId 13), vatSummary[0]", "\"nett\"", "nieznane pole"}},
      {"name given twice",
       R"({"invoices":[{"documentId":1,"kind":811},
                       {"documentId":2,"kind":811,"positions":[{},{"name":"a","name":"b"}]}]})",
       {"invoices[1].positions[1]", "\"name\"", "dwa razy"}},
      {"top-level name given twice", R"({"goods":[],"goods":[]})",
       {"dokument", "\"goods\"", "dwa razy"}},
      {"unknown top-level field", R"({"format":"vostra-host-data/1","extra":[]})",
       {"dokument", "\"extra\"", "nieznane pole"}},
      {"other format", R"({"format":"vostra-host-data/2"})", {"dokument", "\"format\""}},
      {"array instead of object", R"([])", {"dokument", "zły typ"}},
      {"syntax", R"({"contractors":[{"id":1,}]})", {"dokument", "składni JSON", "bajcie"}},
      {"deep nesting", std::string(100, '[') + std::string(100, ']'),
       {"dokument", "zagnieżdżenie"}},
  };
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.name);
    testing_support::TestHost h;
    std::string error;
    EXPECT_FALSE(h.Import(c.document, &error));
    for (const std::string& part : c.parts)
      EXPECT_NE(error.find(part), std::string::npos) << "message: " << error << "\nmissing: " << part;
  }
  // The width counts the bytes of the host's code page, not those of UTF-8.
  testing_support::TestHost h;
  std::string error;
  EXPECT_TRUE(h.Import(Goods(Repeat("ą", 41)), &error)) << error;
}

TEST(ImportTest, RefusedImportLeavesTheDatabaseAsItWas) {
  testing_support::TestHost h;
  ASSERT_TRUE(h.Import(R"({"contractors":[{"id":1,"name":"Pierwszy"}],
                          "invoices":[{"documentId":1,"kind":811}]})"));
  std::string before = DumpOf(h);
  // The fault lies in the last record: everything before it was already checked.
  std::string error;
  EXPECT_FALSE(h.Import(R"({"contractors":[{"id":2,"name":"Drugi"}],
                           "invoices":[{"documentId":2,"kind":811},{"documentId":3,"kind":1}]})",
                        &error));
  EXPECT_EQ(DumpOf(h), before);
}

TEST(ImportTest, MoneyAndQuantitiesAreScaledAndRoundedHalfAwayFromZero) {
  struct Case {
    const char* json;
    double stored;  // ten-thousandths
  };
  const Case money[] = {
      {"12", 120000},          {"\"12\"", 120000},        {"0.1", 1000},
      {"\"1.00005\"", 10001},  {"1.00005", 10001},        {"\"-1.00005\"", -10001},
      {"\"0.00004999\"", 0},   {"\"-0.00005\"", -1},      {"\"123456789.12345\"", 1234567891235},
      {"-0.0001", -1},         {"\"+7.5\"", 75000},
  };
  for (const Case& c : money) {
    SCOPED_TRACE(c.json);
    testing_support::TestHost h;
    std::string error;
    ASSERT_TRUE(h.Import(std::string(R"({"invoices":[{"documentId":1,"kind":811,"paid":)") +
                             c.json + "}]}",
                         &error))
        << error;
    HostCursor cursor{};
    HostTable* t = HostGetTable(kTableTspr);
    ASSERT_EQ(HostCursorOpen(&cursor, t, 811, nullptr, 0, 0), 1);
    ASSERT_EQ(HostCursorNext(&cursor), 1);
    EXPECT_EQ(static_cast<TsprRecord*>(t->record)->paid.get(), c.stored);
    HostCursorFree(&cursor);
  }
  const Case quantities[] = {{"1.5", 1500}, {"\"1.0005\"", 1001}, {"\"-0.0005\"", -1}, {"-2", -2000}};
  for (const Case& c : quantities) {
    SCOPED_TRACE(c.json);
    testing_support::TestHost h;
    std::string error;
    ASSERT_TRUE(h.Import(std::string(R"({"invoices":[{"documentId":1,"kind":811,"positions":[{"quantity":)") +
                             c.json + "}]}]}",
                         &error))
        << error;
    HostTable* table = nullptr;
    HostQuery query{};
    HostCursor cursor{};
    HostQueryPrepare(812, &table, &query, 1);
    ASSERT_EQ(HostCursorOpen(&cursor, table, 812, &query, 0, 0), 1);
    ASSERT_EQ(HostCursorNext(&cursor), 1);
    EXPECT_EQ(static_cast<TsprDokRecord*>(table->record)->quantity.get(), c.stored);
    HostCursorFree(&cursor);
  }
}

constexpr const char* kRich = R"({
  "format": "vostra-host-data/1",
  "firm": {"name": "Żółć Sp. z o.o.", "nip": "123"},
  "vatRates": [{"code": 1, "percent": 23}, {"code": 6, "percent": "5.5"}, {"code": 8}],
  "paymentForms": [{"code": 0, "text": "gotówka"}, {"code": 7, "text": "barter"}],
  "contractors": [{"id": 3, "name": "Ćma", "kind": 3}, {"id": 1, "code": "A"}],
  "goods": [{"key": 9, "name": "Śruba", "attr": 1}],
  "invoices": [
    {"documentId": 2, "kind": 807, "issueDate": "2024-02-29", "rate": "4.3215",
     "grossAmount": "123456789012.3456", "gtuMask": ["GTU_32"], "procMarks": ["IED"],
     "vatSummary": [{"vatCode": 1, "net": 10, "vat": 2.3, "gross": 12.3}, {"vatCode": 0}],
     "positions": [{"name": "A", "quantity": "0.001", "value": "-0.0001"}, {"name": "B"}]},
    {"documentId": 0, "kind": 811},
    {"documentId": 0, "kind": 811, "positions": [{"name": "sierota"}]}
  ],
  "corrections": [{"documentId": 2, "kind": 1838, "positions": [{"rowKind": 2}]}]
})";

TEST(ImportTest, DumpImportedIntoAnEmptyDatabaseGivesTheSameDump) {
  std::string first;
  {
    testing_support::TestHost h;
    std::string error;
    ASSERT_TRUE(h.Import(kRich, &error)) << error;
    first = DumpOf(h);
  }
  testing_support::TestHost h;
  std::string error;
  ASSERT_TRUE(h.Import(first, &error)) << error;
  EXPECT_EQ(DumpOf(h), first);
  // What was given stays as given: marks by name become bits, a missing percentage stays out.
  EXPECT_NE(first.find("\"gtuMask\":-2147483648"), std::string::npos);
  EXPECT_NE(first.find("\"procMarks\":8192"), std::string::npos);
  EXPECT_NE(first.find("{\"code\":8}"), std::string::npos);
  // Beyond fifteen digits a double would not give the decimal back: it is written as text.
  EXPECT_NE(first.find("\"grossAmount\":\"123456789012.3456\""), std::string::npos);
}

TEST(ImportTest, LeftOutListsTakeTheHostDefaults) {
  testing_support::TestHost h;
  ASSERT_TRUE(h.Import("{}"));
  EXPECT_DOUBLE_EQ(HostVatRate(1), 23.0);
  EXPECT_DOUBLE_EQ(HostVatRate(2), 8.0);
  EXPECT_DOUBLE_EQ(HostVatRate(3), 5.0);
  EXPECT_DOUBLE_EQ(HostVatRate(4), 0.0);
  std::int16_t form = 3;
  char text[256];
  EXPECT_STREQ(HostFieldText(text, sizeof text, &form, 151), "kredyt kupiecki");
  form = 0;
  // Without a buffer the host's own text comes back; "gotówka" in Mazovia.
  EXPECT_STREQ(HostFieldText(nullptr, 0, &form, 151), "got\xA2wka");
}

TEST(SampleTest, IsDeterministicForASeedAndImportsBackUnchanged) {
  std::string a, b, c;
  {
    testing_support::TestHost h;
    std::string error;
    ASSERT_TRUE(h.host().store->Sample(40, 7, &error)) << error;
    a = DumpOf(h);
  }
  {
    testing_support::TestHost h;
    ASSERT_TRUE(h.host().store->Sample(40, 7, nullptr));
    b = DumpOf(h);
  }
  EXPECT_EQ(a, b);
  {
    testing_support::TestHost h;
    ASSERT_TRUE(h.host().store->Sample(40, 8, nullptr));
    EXPECT_NE(DumpOf(h), a);
  }
  // Every generated text and value passes the import's checks.
  testing_support::TestHost h;
  std::string error;
  ASSERT_TRUE(h.Import(a, &error)) << error;
  EXPECT_EQ(DumpOf(h), a);
}

TEST(SampleTest, CoversEveryKindOverTheCurrentAndThePreviousMonth) {
  testing_support::TestHost h("20240315");
  ASSERT_TRUE(h.host().store->Sample(60, 1, nullptr));
  for (int kind : {811, 24, 807, 1836}) {
    SCOPED_TRACE(kind);
    EXPECT_FALSE(WalkIds(kTableTspr, kind).empty());
  }
  for (int kind : {103, 809, 1838}) {
    SCOPED_TRACE(kind);
    EXPECT_FALSE(WalkIds(kTableTsprKor, kind).empty());
  }
  // Dates fall in February or March 2024, never after today.
  HostCursor cursor{};
  HostTable* t = HostGetTable(kTableTspr);
  ASSERT_EQ(HostCursorOpen(&cursor, t, 811, nullptr, 0, 0), 1);
  int documents = 0, netBased = 0, split = 0;
  while (HostCursorNext(&cursor) == 1) {
    auto* r = static_cast<TsprRecord*>(t->record);
    std::string date(r->issueDate.view());
    EXPECT_GE(date, "20240201");
    EXPECT_LE(date, "20240315");
    ++documents;
    netBased += r->calcFlags.get() & 1;
    split += (r->stateFlags.get() & 0x100) != 0;
  }
  HostCursorFree(&cursor);
  EXPECT_EQ(documents, 61);  // 60 invoices and one empty slot
  EXPECT_GT(netBased, 0);
  EXPECT_GT(split, 0);
}

}  // namespace
