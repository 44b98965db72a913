// The table services as the plug-in calls them: tables, document and positions cursors,
// queries, VAT summaries, marks, payment-form texts and VAT conversions.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "platform.h"
#include "store/store.h"
#include "store_fixture.h"

using namespace store_test;

namespace {

TEST(TablesTest, EightTablesWithTheirRecordSizes) {
  testing_support::TestHost h;
  struct Case {
    int number;
    int size;
  };
  const Case cases[] = {{35, 1536}, {44, 1469}, {45, 515}, {46, 949},
                        {47, 256},  {49, 1024}, {51, 435}, {59, 2750}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    HostTable* t = HostGetTable(c.number);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->number, c.number);
    EXPECT_EQ(t->recordSize, c.size);
    EXPECT_NE(t->record, nullptr);
    EXPECT_EQ(HostGetTable(c.number), t);  // one object per table
    EXPECT_EQ(HostTableSetMode(t, 255), 0);
  }
  EXPECT_EQ(HostGetTable(36), nullptr);
  EXPECT_EQ(HostGetTable(0), nullptr);
  EXPECT_EQ(HostTableSetMode(nullptr, 255), -1);
}

TEST(TablesTest, PositionsKindsOfTheDocumentKinds) {
  struct Case {
    int kind, positions;
  };
  const Case cases[] = {{811, 812}, {24, 68},    {807, 808}, {1836, 1837}, {103, 104},
                        {809, 810}, {1838, 1839}, {812, 0},   {0, 0}};
  for (const Case& c : cases) EXPECT_EQ(HostGetPositionsKind(c.kind), c.positions) << c.kind;
}

constexpr const char* kWalk = R"({
  "invoices": [
    {"documentId": 30, "kind": 811, "issueDate": "2024-03-02"},
    {"documentId": 10, "kind": 811, "issueDate": "2024-03-05"},
    {"documentId": 20, "kind": 811, "issueDate": "2024-03-02"},
    {"documentId": 0,  "kind": 811, "issueDate": "2024-03-03"},
    {"documentId": 40, "kind": 807, "issueDate": "2024-03-01"},
    {"documentId": 50, "kind": 811, "issueDate": "",
     "positions": [{"name": "trzeci"}, {"name": "pierwszy"}, {"name": "drugi"}]},
    {"documentId": 60, "kind": 811, "issueDate": "2024-02-28", "positions": [{"name": "obcy"}]}
  ],
  "corrections": [
    {"documentId": 30, "kind": 103, "issueDate": "2024-03-09"},
    {"documentId": 5, "kind": 103, "issueDate": "2024-03-09"},
    {"documentId": 7, "kind": 1838, "issueDate": "2024-03-01"}
  ]
})";

class WalkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(host_.Import(kWalk, &error)) << error;
  }
  testing_support::TestHost host_;
};

TEST_F(WalkTest, DocumentsOfAKindComeByIssueDateThenIdWithEmptySlots) {
  // No date sorts first; the empty slot (id 0) is walked like any document.
  EXPECT_EQ(WalkIds(kTableTspr, 811), (std::vector<std::int32_t>{50, 60, 20, 30, 0, 10}));
  EXPECT_EQ(WalkIds(kTableTspr, 807), (std::vector<std::int32_t>{40}));
  EXPECT_TRUE(WalkIds(kTableTspr, 24).empty());
  EXPECT_EQ(WalkIds(kTableTsprKor, 103), (std::vector<std::int32_t>{5, 30}));
  EXPECT_EQ(WalkIds(kTableTsprKor, 1838), (std::vector<std::int32_t>{7}));
}

TEST_F(WalkTest, CursorRefusesAKindOfTheOtherTable) {
  HostCursor cursor{};
  EXPECT_EQ(HostCursorOpen(&cursor, HostGetTable(kTableTspr), 103, nullptr, 0, 0), 0);
  EXPECT_EQ(HostCursorOpen(&cursor, HostGetTable(kTableTsprKor), 811, nullptr, 0, 0), 0);
  EXPECT_EQ(HostCursorOpen(&cursor, HostGetTable(kTableK4), 811, nullptr, 0, 0), 0);
  EXPECT_EQ(HostCursorOpen(&cursor, nullptr, 811, nullptr, 0, 0), 0);
  EXPECT_EQ(cursor.openWord, 0);
  EXPECT_EQ(HostCursorNext(&cursor), 0);
  HostCursorFree(&cursor);
}

std::vector<std::string> PositionNames(int positionsKind, std::int32_t documentId) {
  std::vector<std::string> names;
  HostTable* table = nullptr;
  HostQuery query{};
  HostCursor cursor{};
  HostQueryPrepare(positionsKind, &table, &query, documentId);
  if (HostQueryCheck(&query) == 0 && HostCursorOpen(&cursor, table, positionsKind, &query, 0, 0)) {
    while (HostCursorNext(&cursor) == 1) {
      EXPECT_EQ(HostQueryMatches(table->record, table), 1);
      names.emplace_back(static_cast<PositionCommon*>(table->record)->name.view());
    }
    HostCursorClose(&cursor);
  }
  HostCursorFree(&cursor);
  return names;
}

TEST_F(WalkTest, PositionsOfOneDocumentInTheirOrder) {
  EXPECT_EQ(PositionNames(812, 50), (std::vector<std::string>{"trzeci", "pierwszy", "drugi"}));
  EXPECT_EQ(PositionNames(812, 60), (std::vector<std::string>{"obcy"}));
  EXPECT_TRUE(PositionNames(812, 10).empty());   // a document without positions
  EXPECT_TRUE(PositionNames(812, 99).empty());   // no such document
  EXPECT_TRUE(PositionNames(808, 50).empty());   // the positions kind of another kind
}

TEST_F(WalkTest, QueriesThatCannotListPositionsAreRefused) {
  struct Case {
    const char* name;
    int kind;
    std::int32_t id;
    bool table;  // a table object comes back
  };
  const Case cases[] = {{"document id 0", 812, 0, true},
                        {"a document kind, not a positions kind", 811, 50, false},
                        {"unknown kind", 4, 50, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HostTable* table = reinterpret_cast<HostTable*>(1);
    HostQuery query{};
    HostQueryPrepare(c.kind, &table, &query, c.id);
    EXPECT_NE(HostQueryCheck(&query), 0);
    EXPECT_EQ(table != nullptr, c.table);
    HostCursor cursor{};
    EXPECT_EQ(HostCursorOpen(&cursor, HostGetTable(kTableTsprDok), c.kind, &query, 0, 0), 0);
    HostCursorFree(&cursor);
  }
  HostQuery zeroed{};
  EXPECT_NE(HostQueryCheck(&zeroed), 0);
}

TEST_F(WalkTest, CursorCanBeFreedInEveryStateAndReopened) {
  HostCursor cursor{};
  HostCursorFree(&cursor);  // never opened
  HostTable* t = HostGetTable(kTableTspr);
  ASSERT_EQ(HostCursorOpen(&cursor, t, 811, nullptr, 0, 0), 1);
  EXPECT_NE(cursor.openWord, 0);
  ASSERT_EQ(HostCursorNext(&cursor), 1);
  // Opened again without closing: the walk starts over.
  ASSERT_EQ(HostCursorOpen(&cursor, t, 807, nullptr, 0, 0), 1);
  ASSERT_EQ(HostCursorNext(&cursor), 1);
  EXPECT_EQ(static_cast<TsprRecord*>(t->record)->documentId.get(), 40);
  HostCursorClose(&cursor);
  EXPECT_EQ(cursor.openWord, 0);
  EXPECT_EQ(HostCursorNext(&cursor), 0);
  HostCursorFree(&cursor);  // after close
  HostCursorFree(&cursor);  // twice
  HostCursorFree(nullptr);
}

TEST_F(WalkTest, ImportEndsTheCursorsThatWereOpen) {
  HostCursor cursor{};
  ASSERT_EQ(HostCursorOpen(&cursor, HostGetTable(kTableTspr), 811, nullptr, 0, 0), 1);
  ASSERT_TRUE(host_.Import(kWalk));
  EXPECT_EQ(HostCursorNext(&cursor), 0);
  HostCursorFree(&cursor);
}

TEST_F(WalkTest, ReadFaultInACursorStepRaisesTheStructuredException) {
  // Another program leaves a text that is not UTF-8 in the database.
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open((host_.dir + "/vostra.db").c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "UPDATE invoice SET \"number\" = CAST(X'FF' AS TEXT) "
                                "WHERE \"documentId\" = 20",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(other);
  HostCursor cursor{};
  ASSERT_EQ(HostCursorOpen(&cursor, HostGetTable(kTableTspr), 811, nullptr, 0, 0), 1);
  ASSERT_EQ(HostCursorNext(&cursor), 1);  // 50
  ASSERT_EQ(HostCursorNext(&cursor), 1);  // 60
  try {
    HostCursorNext(&cursor);
    ADD_FAILURE() << "no exception";
  } catch (const platform::SE_Exception& e) {
    EXPECT_EQ(e.code(), host::store::kReadFaultCode);
  }
  HostCursorFree(&cursor);
}

// --- VAT summary ------------------------------------------------------------------------------

struct Slot {
  int code;
  double net, vat, gross;  // ten-thousandths
};

std::vector<Slot> Slots(const VatSummary& s) {
  std::vector<Slot> out;
  for (int k = 0; k < kVatSummarySlots; ++k)
    if (s.code[k].get() != 0 || s.net[k].get() != 0)
      out.push_back({s.code[k].get(), s.net[k].get(), s.vat[k].get(), s.gross[k].get()});
  return out;
}

bool operator==(const Slot& a, const Slot& b) {
  return a.code == b.code && a.net == b.net && a.vat == b.vat && a.gross == b.gross;
}
void PrintTo(const Slot& s, std::ostream* os) {
  *os << "{" << s.code << ", " << s.net << ", " << s.vat << ", " << s.gross << "}";
}

constexpr const char* kSummaries = R"({
  "invoices": [
    {"documentId": 1, "kind": 811, "calcFlags": 0, "positions": [
      {"vatCode": 3, "value": 10, "valueAlt": 99, "vatValue": 0.5},
      {"vatCode": 1, "value": 100, "valueAlt": 99, "vatValue": 23},
      {"vatCode": 3, "value": 2, "valueAlt": 99, "vatValue": 0.1},
      {"vatCode": 8, "value": 7, "valueAlt": 99}]},
    {"documentId": 2, "kind": 811, "calcFlags": 1, "positions": [
      {"vatCode": 1, "value": 99, "valueAlt": 50, "vatValue": 11.5}]},
    {"documentId": 3, "kind": 811, "calcFlags": 1,
     "vatSummary": [{"vatCode": 2, "net": 1, "vat": 0.08, "gross": 1.1}, {"vatCode": 0},
                    {"vatCode": 1, "net": 3, "vat": 1, "gross": 4}],
     "positions": [{"vatCode": 5, "value": 1000}]}
  ],
  "corrections": [
    {"documentId": 1, "kind": 103, "positions": [
      {"rowKind": 2, "vatCode": 1, "value": 100, "vatValue": 23},
      {"rowKind": 1, "vatCode": 1, "value": -40, "vatValue": -9.2},
      {"rowKind": 3, "vatCode": 2, "value": -1}]}
  ]
})";

TEST(VatSummaryTest, ComputedFromPositionsOrTakenAsStored) {
  testing_support::TestHost h;
  std::string error;
  ASSERT_TRUE(h.Import(kSummaries, &error)) << error;
  struct Case {
    int table, kind;
    std::int32_t id;
    std::vector<Slot> slots;
  };
  const Case cases[] = {
      // Codes in order of first appearance; gross-based documents sum `value`.
      {kTableTspr, 811, 1,
       {{3, 120000, 6000, 126000}, {1, 1000000, 230000, 1230000}, {8, 70000, 0, 70000}}},
      // Net-based documents sum `valueAlt`.
      {kTableTspr, 811, 2, {{1, 500000, 115000, 615000}}},
      // A stored summary as given, slot by slot, whatever the positions say.
      {kTableTspr, 811, 3, {{2, 10000, 800, 11000}, {1, 30000, 10000, 40000}}},
      // Corrections count their position rows (row kind 1) only.
      {kTableTsprKor, 103, 1, {{1, -400000, -92000, -492000}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    HostCursor cursor{};
    HostTable* t = HostGetTable(c.table);
    ASSERT_EQ(HostCursorOpen(&cursor, t, c.kind, nullptr, 0, 0), 1);
    bool found = false;
    while (!found && HostCursorNext(&cursor) == 1)
      found = (c.table == kTableTspr ? static_cast<TsprRecord*>(t->record)->documentId.get()
                                     : static_cast<TsprKorRecord*>(t->record)->documentId.get()) ==
              c.id;
    ASSERT_TRUE(found);
    VatSummary summary, second;
    std::memset(&summary, 0xCC, sizeof summary);
    std::memset(&second, 0xCC, sizeof second);
    EXPECT_EQ(HostGetVatSummary(c.kind, &summary, &second, 0), 1);
    EXPECT_EQ(Slots(summary), c.slots);
    EXPECT_EQ(std::memcmp(&summary, &second, sizeof summary), 0);
    EXPECT_EQ(summary.gap0.bytes[0], 0);  // every byte is set, not only the slots
    HostCursorFree(&cursor);
  }
  // The stored summary keeps its slot positions: slot 1 is unused.
  // (Checked through the table above: code 1 comes from slot 2.)
}

TEST(VatSummaryTest, WithoutACurrentDocumentTheSummaryIsEmpty) {
  testing_support::TestHost h;
  ASSERT_TRUE(h.Import(kSummaries));
  VatSummary summary;
  std::memset(&summary, 0xCC, sizeof summary);
  EXPECT_EQ(HostGetVatSummary(811, &summary, nullptr, 0), 0);
  EXPECT_TRUE(Slots(summary).empty());
  EXPECT_EQ(HostGetVatSummary(812, &summary, nullptr, 0), 0);
}

// --- Marks ------------------------------------------------------------------------------------

// A run marks more documents than the marking object keeps in memory at once.
TEST(MarkerTest, ManyDocumentsAreMarkedOnlyOnCommit) {
  testing_support::TestHost h;
  const int count = 10000;
  std::string invoices;
  for (int id = 1; id <= count; ++id)
    invoices += std::string(id > 1 ? "," : "") + "{\"documentId\":" + std::to_string(id) +
                ",\"kind\":811}";
  ASSERT_TRUE(h.Import("{\"invoices\":[" + invoices + "]}"));

  auto markedCount = [] {
    HostCursor cursor{};
    HostTable* t = HostGetTable(kTableTspr);
    int marked = 0;
    if (HostCursorOpen(&cursor, t, 811, nullptr, 0, 0) == 1)
      while (HostCursorNext(&cursor) == 1)
        if (static_cast<TsprRecord*>(t->record)->exportFlags & kExportedFlag) ++marked;
    HostCursorClose(&cursor);
    HostCursorFree(&cursor);
    return marked;
  };

  HostMarker abandoned;
  HostMarkerInit(&abandoned);
  for (int id = 1; id <= count; ++id) ASSERT_EQ(HostMarkerAdd(&abandoned, 811, id), 1);
  HostMarkerDestroy(&abandoned);
  EXPECT_EQ(markedCount(), 0);

  // As a run adds them: while its cursor walks the documents.
  HostMarker marker;
  HostMarkerInit(&marker);
  HostCursor cursor{};
  HostTable* t = HostGetTable(kTableTspr);
  ASSERT_EQ(HostCursorOpen(&cursor, t, 811, nullptr, 0, 0), 1);
  int added = 0;
  while (HostCursorNext(&cursor) == 1)
    added += HostMarkerAdd(&marker, 811, static_cast<TsprRecord*>(t->record)->documentId.get());
  HostCursorClose(&cursor);
  HostCursorFree(&cursor);
  EXPECT_EQ(added, count);
  EXPECT_EQ(markedCount(), 0);  // nothing shows before the commit
  EXPECT_EQ(HostMarkerCommit(&marker), count);
  HostMarkerDestroy(&marker);
  EXPECT_EQ(markedCount(), count);
}

TEST(MarkerTest, CommittedMarksSurviveARestartAndUncommittedOnesDoNot) {
  testing_support::TestHost h;
  ASSERT_TRUE(h.Import(R"({
    "invoices": [{"documentId": 1, "kind": 811}, {"documentId": 2, "kind": 811, "exportFlags": 1},
                 {"documentId": 3, "kind": 807}],
    "corrections": [{"documentId": 1, "kind": 103}, {"documentId": 2, "kind": 809}]})"));
  HostMarker marker;
  HostMarkerInit(&marker);
  EXPECT_EQ(HostMarkerAdd(&marker, 811, 2), 1);
  EXPECT_EQ(HostMarkerAdd(&marker, 809, 2), 1);
  EXPECT_EQ(HostMarkerAdd(&marker, 811, 0), 0);
  EXPECT_EQ(HostMarkerAdd(&marker, 812, 1), 0);
  EXPECT_EQ(HostMarkerCommit(&marker), 2);
  HostMarkerDestroy(&marker);

  HostMarker abandoned;
  HostMarkerInit(&abandoned);
  HostMarkerAdd(&abandoned, 811, 1);
  HostMarkerDestroy(&abandoned);  // never committed

  // A new host over the same database file.
  host::HostOptions options = h.host().options;
  host::Host again(options);
  host::CurrentHostScope scope(&again);
  struct Case {
    int table, kind;
    std::int32_t id;
    int flags;
  };
  const Case cases[] = {{kTableTspr, 811, 1, 0}, {kTableTspr, 811, 2, 5}, {kTableTspr, 807, 3, 0},
                        {kTableTsprKor, 103, 1, 0}, {kTableTsprKor, 809, 2, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + "/" + std::to_string(c.id));
    HostCursor cursor{};
    HostTable* t = HostGetTable(c.table);
    ASSERT_EQ(HostCursorOpen(&cursor, t, c.kind, nullptr, 0, 0), 1);
    int flags = -1;
    while (HostCursorNext(&cursor) == 1) {
      bool invoice = c.table == kTableTspr;
      std::int32_t id = invoice ? static_cast<TsprRecord*>(t->record)->documentId.get()
                                : static_cast<TsprKorRecord*>(t->record)->documentId.get();
      if (id == c.id)
        flags = invoice ? static_cast<TsprRecord*>(t->record)->exportFlags
                        : static_cast<TsprKorRecord*>(t->record)->exportFlags;
    }
    EXPECT_EQ(flags, c.flags);
    HostCursorFree(&cursor);
  }
}

// --- Texts and rates --------------------------------------------------------------------------

TEST(RatesTest, PaymentFormTextsAndVatConversions) {
  testing_support::TestHost h;
  ASSERT_TRUE(h.Import(R"({"vatRates": [{"code": 1, "percent": 23}, {"code": 6, "percent": 5.5},
                                         {"code": 5}, {"code": 8, "percent": 23}],
                           "paymentForms": [{"code": 4, "text": "przelew zagraniczny"}]})"));
  std::int16_t form = 4;
  char text[8];
  EXPECT_STREQ(HostFieldText(text, sizeof text, &form, 151), "przelew");  // cut to the buffer
  form = 0;  // not in this database's list
  EXPECT_STREQ(HostFieldText(text, sizeof text, &form, 151), "");
  EXPECT_STREQ(HostFieldText(text, sizeof text, &form, 150), "");

  struct Case {
    int kind, code;
    double value, expected;
  };
  const Case cases[] = {
      {2, 1, 1230000, 1000000}, {1, 1, 1000000, 1230000}, {2, 6, 1055000, 1000000},
      {2, 5, 1000, 1000},       {2, 8, 1230, 1230},       {1, 9, 1000, 1000},
      {2, 7, 1000, 1000},  // a code the database does not know has no percentage
      {3, 1, 1000, 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + "/" + std::to_string(c.code));
    EXPECT_NEAR(HostVatConvert(c.kind, c.code, c.value), c.expected, 1e-6);
  }
  EXPECT_DOUBLE_EQ(HostVatRate(6), 5.5);
  EXPECT_DOUBLE_EQ(HostVatRate(5), 0.0);
  EXPECT_DOUBLE_EQ(HostVatRate(2), 0.0);  // the list replaces the defaults
}

}  // namespace
