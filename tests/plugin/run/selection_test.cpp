// Which documents a run writes: the kinds that the scope enables, the date range, the skip
// options, the receipts-table tests, empty slots, and the marks that a later run honours.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "run_fixture.h"

namespace {

using nlohmann::json;
using run_test::ExportedNumbers;
using run_test::RunHost;

json Firm() {
  return json{{"name", "Firma"}, {"idNumber", "1"}};
}

json Contractors() {
  return json::array({json{{"id", 1}, {"code", "K1"}, {"name", "Klient"}}});
}

// A one-row document; `number` names it in the file.
json Document(int id, int kind, const std::string& number, const std::string& issued) {
  json d{{"documentId", id},     {"kind", kind},         {"number", number},
         {"contractorId", 1},    {"contractorCode", "K1"}, {"issueDate", issued},
         {"saleDate", issued},   {"grossAmount", 1.23},  {"vatAmount", 0.23},
         {"currency", "PLN"},    {"rate", 1}};
  json row{{"name", "Towar"}, {"quantity", 1}, {"price", 1.23}, {"value", 1},
           {"vatValue", 0.23}, {"vatCode", 1}};
  if (kind == 103 || kind == 809 || kind == 1838) row["rowKind"] = 1;
  d["positions"] = json::array({row});
  return d;
}

struct Doc {
  json record;
  bool correction;
  // Whether the document is in the file of each run below.
  bool inRun[3];
};

// Run 0: everything enabled, skip exported documents, skip invoices issued for receipts.
// Run 1: everything enabled, no skipping.
// Run 2: only the receipts-table box.
const char* const kRunSettings[3] = {
    "[ZantoriaMK]\nOpcje=3,2,1,0,0\n",
    "[ZantoriaMK]\nOpcje=3,0,0,0,0\n",
    "[ZantoriaMK]\nOpcje=2,0,0,0,0\n",
};

std::vector<Doc> Documents() {
  auto with = [](json d, const char* key, json value) {
    d[key] = std::move(value);
    return d;
  };
  // Today is 2024-03-15; an unattended run takes 2024-02-01 to today, both days included.
  return {
      {Document(1, 811, "FROM", "2024-02-01"), false, {true, true, false}},
      {Document(2, 811, "BEFORE", "2024-01-31"), false, {false, false, false}},
      {Document(3, 811, "TO", "2024-03-15"), false, {true, true, false}},
      {Document(4, 811, "AFTER", "2024-03-16"), false, {false, false, false}},
      {with(Document(5, 811, "EXPORTED", "2024-03-01"), "exportFlags", 4), false,
       {false, true, false}},
      {with(Document(6, 811, "RECEIPTS0400", "2024-03-01"), "kindFlags", 0x0400), false,
       {false, true, false}},
      {with(Document(7, 811, "RECEIPTS0500", "2024-03-01"), "kindFlags", 0x0500), false,
       {true, true, false}},
      {with(Document(8, 807, "EXPORT0800", "2024-03-01"), "kindFlags", 0x0800), false,
       {false, true, false}},
      {with(Document(9, 1836, "KIND1836RECEIPTS", "2024-03-01"), "kindFlags", 0x0400), false,
       {true, true, false}},
      {with(Document(10, 24, "TABLE24RECEIPTS", "2024-03-01"), "kindFlags", 0x0400), false,
       {true, true, true}},
      {with(Document(11, 24, "NOCONTRACTOR", "2024-03-01"), "contractorId", 0), false,
       {false, false, false}},
      {with(Document(12, 24, "LINKED", "2024-03-01"), "receiptLink", 1), false,
       {false, false, false}},
      {with(Document(13, 24, "LINK2", "2024-03-01"), "receiptLink", 2), false, {true, true, true}},
      {Document(0, 811, "EMPTYSLOT", "2024-03-01"), false, {false, false, false}},
      {Document(21, 103, "COR103", "2024-03-02"), true, {true, true, false}},
      {with(Document(22, 809, "COR809RECEIPTS", "2024-03-02"), "kindFlags", 0x0400), true,
       {false, true, false}},
      {with(Document(23, 1838, "COR1838OLD", "2024-03-02"), "exportFlags", 4), true,
       {false, true, false}},
      {Document(24, 1838, "COR1838LATE", "2024-03-16"), true, {false, false, false}},
  };
}

std::string HostData(const std::vector<Doc>& docs) {
  json data{{"format", "vostra-host-data/1"}, {"firm", Firm()}, {"contractors", Contractors()}};
  data["vatRates"] = json::array({json{{"code", 1}, {"percent", 23}}});
  json invoices = json::array(), corrections = json::array();
  for (const Doc& d : docs) (d.correction ? corrections : invoices).push_back(d.record);
  data["invoices"] = invoices;
  data["corrections"] = corrections;
  return data.dump();
}

// The documents of a run in the order of the walk: the kinds in their fixed order, within a
// kind by issue date and id.
std::vector<std::string> ExpectedNumbers(const std::vector<Doc>& docs, int run) {
  const int order[] = {811, 24, 807, 1836, 103, 809, 1838};
  std::vector<const Doc*> chosen;
  for (int kind : order) {
    std::vector<const Doc*> ofKind;
    for (const Doc& d : docs)
      if (d.record["kind"] == kind && d.inRun[run]) ofKind.push_back(&d);
    std::stable_sort(ofKind.begin(), ofKind.end(), [](const Doc* a, const Doc* b) {
      return std::make_pair(a->record["issueDate"].get<std::string>(),
                            a->record["documentId"].get<int>()) <
             std::make_pair(b->record["issueDate"].get<std::string>(),
                            b->record["documentId"].get<int>());
    });
    chosen.insert(chosen.end(), ofKind.begin(), ofKind.end());
  }
  std::vector<std::string> numbers;
  for (const Doc* d : chosen) numbers.push_back(d->record["number"]);
  return numbers;
}

TEST(Selection, KindsRangeSkipOptionsAndReceiptTests) {
  const std::vector<Doc> docs = Documents();
  for (int run = 0; run < 3; ++run) {
    SCOPED_TRACE(kRunSettings[run]);
    RunHost h;
    h.Import(HostData(docs));
    h.WriteSettings(kRunSettings[run]);
    h.Run();
    EXPECT_EQ(ExportedNumbers(h.Exported()), ExpectedNumbers(docs, run));
  }
}

TEST(Selection, StoredDatesDoNotNarrowAnUnattendedRun) {
  RunHost h;
  h.Import(HostData({{Document(1, 811, "FEBRUARY", "2024-02-10"), false, {}}}));
  h.WriteSettings("[ZantoriaMK]\nOpcje=1,0,0,0,0\nDates=20240301,20240302\n");
  h.Run();
  EXPECT_EQ(ExportedNumbers(h.Exported()), std::vector<std::string>{"FEBRUARY"});
  // and an unattended run keeps the stored options as they were
  EXPECT_EQ(h.Settings(), "[ZantoriaMK]\nOpcje=1,0,0,0,0\nDates=20240301,20240302\n");
}

TEST(Selection, MarksOfARunAreHonouredByTheNextOne) {
  RunHost h;
  h.Import(HostData({{Document(1, 811, "A", "2024-03-01"), false, {}},
                     {Document(2, 103, "B", "2024-03-02"), true, {}}}));
  h.WriteSettings("[ZantoriaMK]\nOpcje=1,2,0,0,0\n");

  h.Run();
  EXPECT_EQ(ExportedNumbers(h.Exported()), (std::vector<std::string>{"A", "B"}));

  h.Run();
  EXPECT_TRUE(ExportedNumbers(h.Exported()).empty());
  EXPECT_TRUE(h.sink.Shown(run_test::Summary(0, 0)));

  // Without the skip option marked documents are exported again.
  h.WriteSettings("[ZantoriaMK]\nOpcje=1,0,0,0,0\n");
  h.Run();
  EXPECT_EQ(ExportedNumbers(h.Exported()), (std::vector<std::string>{"A", "B"}));
}

TEST(Selection, UserBreakKeepsTheHeaderAndMarksNothing) {
  RunHost h;
  h.Import(HostData({{Document(1, 811, "A", "2024-03-01"), false, {}}}));
  h.WriteSettings("[ZantoriaMK]\nOpcje=1,2,0,0,0\n");
  h.host().breakRequested = 1;

  h.Run();

  EXPECT_TRUE(run_test::SameFile(run_test::ExpectedExport("info_only_plain.expected.txt"),
                                 h.Exported()));
  EXPECT_TRUE(h.sink.messages.empty());  // no summary
  EXPECT_EQ(h.Settings(), "[ZantoriaMK]\nOpcje=1,2,0,0,0\n");

  h.host().breakRequested = 0;
  h.Run();
  EXPECT_EQ(ExportedNumbers(h.Exported()), std::vector<std::string>{"A"});
}

}  // namespace
