// Runs that go wrong: every write of the file failing in turn, structured exceptions from the
// host, and the run's state bit.
#include <gtest/gtest.h>

#include <string>

#include "frame/host_imports.h"
#include "platform.h"
#include "run_fixture.h"
#include "services/fault_injection.h"

namespace {

using run_test::ExportedNumbers;
using run_test::RunHost;

const char kSettings[] = "[ZantoriaMK]\nOpcje=3,0,0,0,0\n[DekrSchema_1]\nRejestr1=SPRZ\n"
                         "Rejestr2=EXP\nRejestr3=KOR\nRejestr4=KEXP\n";

// The numbers of the documents that a clean run over the fixture exports.
const std::vector<std::string> kAllInvoices = {"FV 1/03/2024", "FV 5/03/2024", "PAR 7/2024",
                                               "EXP 1/2024", "FV 2/03/2024"};

// Fails the n-th write of the run (n = 1, 2, ...) until a run passes without a fault. Every
// run ends either complete (the expected file, documents marked) or with the failure shown,
// no export file and no temporary file left, and nothing marked.
TEST(Faults, EveryFailedWriteEndsCleanly) {
  const std::string expected = run_test::ExpectedExport("invoices.expected.txt");
  int faults = 0;
  for (int n = 1;; ++n) {
    SCOPED_TRACE(testing::Message() << "write " << n << " fails");
    RunHost h;
    h.ImportFixture("invoices.json");
    h.WriteSettings(kSettings);

    host::services::FailWriteAfter(n);
    h.Run();
    const bool fired = host::services::WriteFaultFired();
    host::services::ClearWriteFault();

    if (!fired) {
      EXPECT_TRUE(run_test::SameFile(expected, h.Exported()));
      break;
    }
    ++faults;
    EXPECT_TRUE(h.sink.Shown(run_test::Mazovia("Błąd zapisu pliku: " + h.ExportPath() +
                                               "\nOperacja niekompletna!")));
    EXPECT_FALSE(h.sink.Shown(run_test::Summary(5, 0)));
    EXPECT_TRUE(h.ExportFolder().empty()) << "left: " << h.ExportFolder().front();

    // Nothing was marked: a run that skips exported documents writes them all.
    h.WriteSettings("[ZantoriaMK]\nOpcje=3,2,0,0,0\n");
    h.Run();
    EXPECT_EQ(ExportedNumbers(h.Exported()), kAllInvoices);
    ASSERT_LT(n, 5000) << "the countdown never ran out";
  }
  EXPECT_GT(faults, 10);  // the file takes many writes; each one was failed once
}

// A fault in the middle of the walk: the host raises a structured exception from its break
// test. The exception leaves the command, the state bit is cleared again, the incomplete file
// is removed and nothing is marked.
TEST(Faults, ExceptionDuringTheWalkLeavesNothingBehind) {
  RunHost h;
  h.ImportFixture("invoices.json");
  h.WriteSettings("[ZantoriaMK]\nOpcje=3,2,0,0,0\n");
  int polls = 0;
  h.host().pollUi = [&] {
    if (++polls == 3) platform::RaiseException(0xC0000006u, 0, 0, nullptr);
  };

  EXPECT_THROW(h.Run(), platform::SE_Exception);

  EXPECT_EQ(h.host().stateFlags & 0x8000, 0);
  EXPECT_TRUE(h.ExportFolder().empty());
  h.host().pollUi = nullptr;
  h.Run();
  EXPECT_EQ(ExportedNumbers(h.Exported()), kAllInvoices);
}

// Counts the host's construction and destruction of exporter objects for one test.
class ObjectSpy {
 public:
  ObjectSpy()
      : construct_(plugin::HostImportTable[kPos_HostDialogBaseConstruct - 1]),
        destroy_(plugin::HostImportTable[kPos_HostDialogBaseDestroy - 1]) {
    realConstruct_ = construct_;
    realDestroy_ = destroy_;
    constructed = destroyed = 0;
    plugin::HostImportTable[kPos_HostDialogBaseConstruct - 1] =
        reinterpret_cast<plugin::HostEntry>(+[](WDialogBase* self) {
          ++constructed;
          reinterpret_cast<HostDialogBaseConstruct_fn*>(realConstruct_)(self);
        });
    plugin::HostImportTable[kPos_HostDialogBaseDestroy - 1] =
        reinterpret_cast<plugin::HostEntry>(+[](WDialogBase* self) {
          ++destroyed;
          reinterpret_cast<HostDialogBaseDestroy_fn*>(realDestroy_)(self);
        });
  }
  ~ObjectSpy() {
    plugin::HostImportTable[kPos_HostDialogBaseConstruct - 1] = construct_;
    plugin::HostImportTable[kPos_HostDialogBaseDestroy - 1] = destroy_;
  }
  ObjectSpy(const ObjectSpy&) = delete;
  ObjectSpy& operator=(const ObjectSpy&) = delete;

  static inline int constructed = 0;
  static inline int destroyed = 0;

 private:
  plugin::HostEntry construct_, destroy_;
  static inline plugin::HostEntry realConstruct_ = nullptr;
  static inline plugin::HostEntry realDestroy_ = nullptr;
};

TEST(Faults, StateBitIsSetForTheRunAndRestored) {
  struct Case {
    const char* name;
    std::uint16_t before;
    bool throwAtSummary;
  };
  const Case cases[] = {
      {"clear before", 0x0001, false},
      {"set before", 0x8001, false},
      {"clear before, exception", 0x0001, true},
      {"set before, exception", 0x8001, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunHost h;
    h.ImportFixture("invoices.json");
    h.host().stateFlags = c.before;
    ObjectSpy objects;
    int during = -1;
    h.sink.onShow = [&](const std::string&, const std::string&) {
      during = h.host().stateFlags;
      if (c.throwAtSummary) platform::RaiseException(0xC0000005u, 0, 0, nullptr);
    };

    if (c.throwAtSummary)
      EXPECT_THROW(h.Run(), platform::SE_Exception);
    else
      EXPECT_EQ(h.Run(), 0);

    EXPECT_EQ(during, c.before | 0x8000);
    EXPECT_EQ(h.host().stateFlags, c.before);
    EXPECT_EQ(ObjectSpy::constructed, 1);
    EXPECT_EQ(ObjectSpy::destroyed, 1);
  }
}

// The host cannot store the marks (its database refuses the transaction): the file is kept
// and reported, and the user is told that the documents are not marked.
TEST(Faults, MarksThatCannotBeStoredAreReported) {
  RunHost h;
  h.ImportFixture("invoices.json");
  h.WriteSettings(kSettings);
  plugin::HostEntry& entry = plugin::HostImportTable[kPos_HostMarkerCommit - 1];
  const plugin::HostEntry real = entry;
  entry = reinterpret_cast<plugin::HostEntry>(+[](HostMarker*) { return -1; });

  h.Run();
  entry = real;

  EXPECT_TRUE(h.sink.Shown(
      run_test::Mazovia("Błąd zaznaczania wyeksportowanych dokumentów!\nOperacja niekompletna!")));
  EXPECT_TRUE(run_test::SameFile(run_test::ExpectedExport("invoices.expected.txt"), h.Exported()));
  EXPECT_TRUE(h.sink.Shown(run_test::Summary(5, 0)));
}

// The host cannot give one of the eight tables: the run ends with the one message, before any
// table mode is set, any setting is written or any file is opened.
TEST(Faults, MissingTableEndsTheRunBeforeAnythingElse) {
  RunHost h;
  h.ImportFixture("invoices.json");
  h.WriteSettings(kSettings);
  static plugin::HostEntry realGetTable;
  static int modesSet;
  modesSet = 0;
  plugin::HostEntry& getTable = plugin::HostImportTable[kPos_HostGetTable - 1];
  plugin::HostEntry& setMode = plugin::HostImportTable[kPos_HostTableSetMode - 1];
  const plugin::HostEntry savedGetTable = getTable, savedSetMode = setMode;
  realGetTable = getTable;
  getTable = reinterpret_cast<plugin::HostEntry>(+[](int number) -> HostTable* {
    return number == kTableK11 ? nullptr
                               : reinterpret_cast<HostGetTable_fn*>(realGetTable)(number);
  });
  setMode = reinterpret_cast<plugin::HostEntry>(+[](HostTable*, int) { return ++modesSet, 0; });

  h.Run();
  getTable = savedGetTable;
  setMode = savedSetMode;

  ASSERT_EQ(h.sink.messages.size(), 1u);
  EXPECT_EQ(h.sink.messages[0].title, run_test::Mazovia("Błąd"));
  EXPECT_EQ(h.sink.messages[0].text,
            run_test::Mazovia("Błąd operacji dyskowej podczas inicjacji CZantoriaKHTowary!\n"
                              "Operacja niekompletna!"));
  EXPECT_EQ(modesSet, 0);
  EXPECT_TRUE(h.ExportFolder().empty());
  EXPECT_EQ(h.Settings(), run_test::Mazovia(kSettings));
}

}  // namespace
