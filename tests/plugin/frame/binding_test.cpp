// Binding by ordinal, against the stand-in TOVRAN of fake_host/ that exports five functions.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "fake_host/fake_tovran.h"
#include "frame/settings.h"
#include "frame_fixture.h"
#include "platform.h"

namespace frame_test {
namespace {

class BindingTest : public FrameTest {
 protected:
  // The state the load-time binding left, before the fixture replaced it.
  void SetUp() override {
    loadCount_ = plugin::MissingImportCount;
    std::memcpy(loadOrdinals_, plugin::MissingImportOrdinals, sizeof loadOrdinals_);
    std::memcpy(loadTable_, plugin::HostImportTable, sizeof loadTable_);
    FrameTest::SetUp();
  }
  std::uint32_t loadCount_ = 0;
  std::uint16_t loadOrdinals_[8] = {};
  plugin::HostEntry loadTable_[kHostImportCount] = {};
};

TEST_F(BindingTest, LoadTimeBindingBoundWhatTheHostHasAndRecordedTheRest) {
  ASSERT_NE(plugin::HostModule, nullptr);
  EXPECT_EQ(loadCount_, static_cast<std::uint32_t>(kHostImportCount) - std::size(kFakeOrdinals));
  // The first eight failures in binding order; 35802 is there and so not among them.
  const std::uint16_t expected[8] = {30018, 40008, 41611, 41613, 30005, 38417, 40101, 32300};
  EXPECT_EQ(std::memcmp(loadOrdinals_, expected, sizeof expected), 0);

  int bound = 0;
  for (int i = 0; i < kHostImportCount; ++i) {
    if (!loadTable_[i]) continue;
    ++bound;
    EXPECT_NE(loadTable_[i], plugin::LazyStubOf(i + 1)) << "entry " << i + 1 << " left unbound";
  }
  EXPECT_EQ(bound, static_cast<int>(std::size(kFakeOrdinals)));
  EXPECT_EQ(reinterpret_cast<void*>(loadTable_[kPos_HostFilePrintf - 1]),
            platform::LookupOrdinal(plugin::HostModule, kOrd_HostFilePrintf));
}

TEST_F(BindingTest, FailedBindingsAreCountedWithoutLimitAndTheFirstEightKept) {
  plugin::HostEntry entry = plugin::LazyStubOf(1);
  const std::uint32_t missing[] = {52001, 52002, 52003, 52004, 52005, 52006, 52007, 52008,
                                   52009, 52010};
  for (std::uint32_t ordinal : missing) {
    entry = plugin::LazyStubOf(1);
    EXPECT_EQ(plugin::BindHostImport(ordinal, &entry), nullptr);
    EXPECT_EQ(entry, nullptr);  // never left holding its stub, so never retried
  }
  EXPECT_EQ(plugin::MissingImportCount, 10u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(plugin::MissingImportOrdinals[i], missing[i]);

  // A binding that succeeds leaves the record alone.
  EXPECT_NE(plugin::BindHostImport(kOrd_HostRoundToLong, &entry), nullptr);
  EXPECT_EQ(plugin::MissingImportCount, 10u);
}

// Through an entry that still holds its stub, the first call binds the entry and reaches the
// host function with every argument as the caller passed it, variadic ones included.
TEST_F(BindingTest, FirstCallThroughAStubBindsAndPassesEveryArgument) {
  auto* file = reinterpret_cast<HostFile*>(0x1234);
  struct Case {
    const char* name;
    int position;
    unsigned ordinal;
    std::function<void()> call;
    std::function<void(const FakeCall&)> check;
  };
  const Case cases[] = {
      {"variadic with doubles and texts", kPos_HostFilePrintf, kOrd_HostFilePrintf,
       [&] {
         EXPECT_EQ(plugin::HostFilePrintf(file, "%d|%s|%.3f|%c|%lld|%.1f|%.1f|%.1f|%.1f|%.1f|%.1f|%.1f|%.1f",
                                          -42, "żółw", 3.25, 'x', 1LL << 40, 1.0, 2.0, 3.0, 4.0,
                                          5.0, 6.0, 7.0, 8.5),
                   65);
       },
       [&](const FakeCall& c) {
         EXPECT_EQ(c.ints[0], reinterpret_cast<std::intptr_t>(file));
         EXPECT_EQ(c.text, "-42|żółw|3.250|x|1099511627776|1.0|2.0|3.0|4.0|5.0|6.0|7.0|8.5");
       }},
      {"fixed arguments and a variadic tail", kPos_HostMessageBoxF, kOrd_HostMessageBoxF,
       [] {
         EXPECT_EQ(plugin::HostMessageBoxF(15000, "STOP!!!", "%s/%d/%u", 0xF001, 0x6E2E, "a", -1,
                                           4000000000u),
                   7);
       },
       [](const FakeCall& c) {
         EXPECT_EQ(c.ints[0], 15000);
         EXPECT_EQ(c.ints[1], 0xF001);
         EXPECT_EQ(c.ints[2], 0x6E2E);
         EXPECT_EQ(c.text, "STOP!!!|a/-1/4000000000");
       }},
      {"double in and out", kPos_HostVatConvert, kOrd_HostVatConvert,
       [] { EXPECT_DOUBLE_EQ(plugin::HostVatConvert(2, 8, 100.0), 123.0); },
       [](const FakeCall& c) {
         EXPECT_EQ(c.ints[0], 2);
         EXPECT_EQ(c.ints[1], 8);
         EXPECT_EQ(c.reals[0], 100.0);
       }},
      {"double first, integer result", kPos_HostRoundToLong, kOrd_HostRoundToLong,
       [] { EXPECT_EQ(plugin::HostRoundToLong(1234.0, 100), 1200); },
       [](const FakeCall& c) {
         EXPECT_EQ(c.ints[0], 100);
         EXPECT_EQ(c.reals[0], 1234.0);
       }},
      {"settings with a variable list", kPos_HostIniAccess, kOrd_HostIniAccess,
       [] {
         EXPECT_EQ(plugin::IniAccess("WtyczkiG.ini", 9, "S", "K", "%s,%d", "abc", -5), -3);
       },
       [](const FakeCall& c) {
         EXPECT_EQ(c.ints[0], 9);
         EXPECT_EQ(c.text, "WtyczkiG.ini|S|K|abc,-5");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plugin::HostImportTable[c.position - 1] = plugin::LazyStubOf(c.position);
    *FakeLastCall() = FakeCall{};
    c.call();
    c.check(*FakeLastCall());
    EXPECT_EQ(reinterpret_cast<void*>(plugin::HostImportTable[c.position - 1]),
              platform::LookupOrdinal(plugin::HostModule, c.ordinal));
  }
}

}  // namespace
}  // namespace frame_test
