// The guarded operations under a structured exception: a host call inside them is made to raise
// one (through the plug-in's own import entry, the seam every host call passes), and the
// operation must report it under its name, release what it holds, leave its scope trace and
// raise the same code again.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform.h"
#include "writer_fixture.h"

namespace {

#define VOSTRA_IMPORT_POSITION(pos, ord, Name, Ret, Params) constexpr int kPos##Name = pos;
VOSTRA_HOST_IMPORTS(VOSTRA_IMPORT_POSITION)
#undef VOSTRA_IMPORT_POSITION

constexpr std::uint32_t kFaultCode = 0xE0DB0001;
int g_faultInfo;

struct Observed {
  int enters = 0;
  int leaves = 0;
  int frees = 0;
  int reports = 0;
  std::string name;
  std::uint32_t code = 0;
  void* info = nullptr;
  const void* args = nullptr;
} g_seen;

plugin::HostEntry g_realEnter, g_realLeave, g_realFree;

void CountingEnter(ScopeTrace* scope, const char* name, const void* first) {
  ++g_seen.enters;
  reinterpret_cast<HostScopeEnter_fn*>(g_realEnter)(scope, name, first);
}
void CountingLeave(ScopeTrace* scope) {
  ++g_seen.leaves;
  reinterpret_cast<HostScopeLeave_fn*>(g_realLeave)(scope);
}
void CountingFree(HostCursor* cursor) {
  ++g_seen.frees;
  reinterpret_cast<HostCursorFree_fn*>(g_realFree)(cursor);
}
void Report(const char* name, std::uint32_t code, void* info, const void* args) {
  ++g_seen.reports;
  g_seen.name = name;
  g_seen.code = code;
  g_seen.info = info;
  g_seen.args = args;
}
std::int32_t RaisingRound(double, int) { throw platform::SE_Exception(kFaultCode, &g_faultInfo); }
int RaisingNext(HostCursor*) { throw platform::SE_Exception(kFaultCode, &g_faultInfo); }
int RaisingFind(int) { throw platform::SE_Exception(kFaultCode, &g_faultInfo); }

// Swaps import entries for the test and puts everything back.
class GuardedTest : public writer_test::WriterTest {
 protected:
  void SetUp() override {
    WriterTest::SetUp();
    g_seen = Observed{};
    reporter_ = plugin::HostGetExceptionReporter();
    savedReporter_ = *reporter_;
    *reporter_ = &Report;
    g_realEnter = Swap(kPosHostScopeEnter, reinterpret_cast<plugin::HostEntry>(&CountingEnter));
    g_realLeave = Swap(kPosHostScopeLeave, reinterpret_cast<plugin::HostEntry>(&CountingLeave));
    g_realFree = Swap(kPosHostCursorFree, reinterpret_cast<plugin::HostEntry>(&CountingFree));
  }
  void TearDown() override {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
      plugin::HostImportTable[it->first - 1] = it->second;
    *reporter_ = savedReporter_;
    WriterTest::TearDown();
  }
  plugin::HostEntry Swap(int position, plugin::HostEntry entry) {
    plugin::HostEntry old = plugin::HostImportTable[position - 1];
    saved_.emplace_back(position, old);
    plugin::HostImportTable[position - 1] = entry;
    return old;
  }
  void ExpectReported(const char* name) {
    EXPECT_EQ(g_seen.reports, 1);
    EXPECT_EQ(g_seen.name, name);
    EXPECT_EQ(g_seen.code, kFaultCode);
    EXPECT_EQ(g_seen.info, &g_faultInfo);
    EXPECT_NE(g_seen.args, nullptr);
    EXPECT_EQ(g_seen.enters, 1);
    EXPECT_EQ(g_seen.leaves, 1);
  }

  std::vector<std::pair<int, plugin::HostEntry>> saved_;
  ExceptionReportFn** reporter_ = nullptr;
  ExceptionReportFn* savedReporter_ = nullptr;
};

std::uint32_t RaisedCode(const std::function<void()>& body) {
  try {
    body();
  } catch (const platform::SE_Exception& e) {
    return e.code();
  }
  return 0;
}

TEST_F(GuardedTest, RateConversionReportsAndRaisesAgain) {
  Swap(kPosHostRoundToLong, reinterpret_cast<plugin::HostEntry>(&RaisingRound));
  EXPECT_EQ(RaisedCode([&] { x.przel_wal(25.0); }), kFaultCode);
  ExpectReported("przel_wal");
}

TEST_F(GuardedTest, PurchaseValueReleasesItsCursor) {
  Load(R"({"format": "vostra-host-data/1", "invoices": [
    {"documentId": 1, "kind": 811, "number": "FV 1", "issueDate": "2024-03-05",
     "positions": [{"name": "A", "quantity": 1, "vatCode": 1, "purchaseValue": 1}]}]})");
  x.kindHandle = kPositionsInvoiceDomestic;
  Swap(kPosHostCursorNext, reinterpret_cast<plugin::HostEntry>(&RaisingNext));
  EXPECT_EQ(RaisedCode([&] { x.DajWartoscDokumentuWCenachZakupu(1); }), kFaultCode);
  ExpectReported("CZantoriaKHTowary::DajWartoscDokumentuWCenachZakupu");
  EXPECT_EQ(g_seen.frees, 1);
}

TEST_F(GuardedTest, ContractorCodeReportsAndRaisesAgain) {
  Swap(kPosHostFindContractor, reinterpret_cast<plugin::HostEntry>(&RaisingFind));
  char out[256];
  EXPECT_EQ(RaisedCode([&] { x.NrKontrZantoria(5, 1, out); }), kFaultCode);
  ExpectReported("CZantoriaKHTowary::NrKontrZantoria");
}

TEST_F(GuardedTest, NothingIsReportedWithoutAFault) {
  EXPECT_DOUBLE_EQ(x.przel_wal(25.0), 0.0025);
  char out[256];
  x.NrKontrZantoria(-5, 0, out);
  EXPECT_EQ(g_seen.reports, 0);
  EXPECT_EQ(g_seen.enters, 2);
  EXPECT_EQ(g_seen.leaves, 2);
}

}  // namespace
