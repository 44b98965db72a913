// Messages, state flags, the break test, the scope trace and the exception reporter.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdarg>
#include <cstdlib>
#include <string>
#include <vector>

#include "format/codepage.h"
#include "frame/host_services.h"
#include "services/services.h"
#include "test_host.h"

namespace {

using testing_support::TestHost;

struct Shown {
  std::string title, text;
  int flags;
};

class RecordingSink : public host::MessageSink {
 public:
  int Show(const std::string& title, const std::string& text, int flags) override {
    shown.push_back({title, text, flags});
    return 1;
  }
  void CloseNotice() override { ++closed; }
  int ShowError(const std::string& text) override {
    shown.push_back({"<error>", text, 0});
    return 0;
  }
  std::vector<Shown> shown;
  int closed = 0;
};

int ShowMessageF(const char* title, const char* format, int flags, ...) {
  va_list args;
  va_start(args, flags);
  int r = HostMessageBoxV(0, title, format, flags, args);
  va_end(args);
  return r;
}

TEST(HostMessages, ServicesInstallTheConsoleSink) {
  TestHost t;
  ASSERT_NE(t.host().consoleMessages, nullptr);
  EXPECT_EQ(t.host().messages, t.host().consoleMessages.get());
}

TEST(HostMessages, FormattedBeforeTheySink) {
  TestHost t;
  RecordingSink sink;
  t.host().messages = &sink;
  HostMessageBox("Blokada", "Ten format nie jest obsługiwany!"_mz, 1);
  HostMessageBoxF(15000, "STOP!!!", "%s", 0xF001, 0x6E2E, "50% gotowe %d");  // the text is no format
  ShowMessageF("Uwaga", "Nie można otworzyć pliku: %s\n"_mz, 1, "/x/VOSTRA.TXT");
  HostMessageBox("Uwaga", "Pakowanie...", 0x200);
  HostMessageBoxClose();
  HostShowError("Nieudane pakowanie eksportowanego pliku.");
  ASSERT_EQ(sink.shown.size(), 5u);
  EXPECT_EQ(sink.shown[0].text, "Ten format nie jest obsługiwany!"_mz);
  EXPECT_EQ(sink.shown[0].flags, 1);
  EXPECT_EQ(sink.shown[1].title, "STOP!!!");
  EXPECT_EQ(sink.shown[1].text, "50% gotowe %d");
  EXPECT_EQ(sink.shown[1].flags, 0xF001);
  EXPECT_EQ(sink.shown[2].text, std::string("Nie można otworzyć pliku: "_mz) + "/x/VOSTRA.TXT\n");
  EXPECT_EQ(sink.shown[3].flags, 0x200);
  EXPECT_EQ(sink.closed, 1);
  EXPECT_EQ(sink.shown[4].title, "<error>");
  t.host().messages = t.host().consoleMessages.get();
}

TEST(HostMessages, ConsoleRendersTitleAndMarkupInUtf8) {
  TestHost t;
  testing::internal::CaptureStderr();
  ShowMessageF("Uwaga", "\x01tp40Ilość dok. sprzedaży:\t%d\nIlość korekt sprzed:\t%d\n"_mz, 1, 12, 3);
  HostMessageBox("Uwaga", "Pakowanie...", 0x200);
  HostMessageBoxClose();
  HostShowError("Błąd"_mz);
  std::string out = testing::internal::GetCapturedStderr();
  EXPECT_EQ(out, "Uwaga:\n  Ilość dok. sprzedaży:" + std::string(17, ' ') +
                     "12\n  Ilość korekt sprzed:" + std::string(19, ' ') +
                     "3\nUwaga:\n  Pakowanie...\nBłąd:\n  Błąd\n");
}

TEST(HostState, FlagsUnattendedCodePageAndBreak) {
  TestHost t("20240315", /*unattended=*/true);
  EXPECT_EQ(HostGetStateFlags(), 0);
  HostSetStateFlags(0x8000, 1);
  HostSetStateFlags(0x0001, 1);
  EXPECT_EQ(HostGetStateFlags(), 0x8001);
  HostSetStateFlags(0x8000, 0);
  EXPECT_EQ(HostGetStateFlags(), 0x0001);

  ASSERT_NE(HostGetUnattendedFlag(), nullptr);
  EXPECT_EQ(*HostGetUnattendedFlag(), 1);
  EXPECT_EQ(HostGetUnattendedFlag(), &t.host().unattendedFlag);
  ASSERT_NE(HostGetCodePage(), nullptr);
  EXPECT_EQ(*HostGetCodePage(), 1);

  int polled = 0;
  t.host().pollUi = [&] {
    if (++polled == 2) t.host().breakRequested = 1;  // Esc pressed while the run polls
  };
  EXPECT_EQ(HostCheckBreak(), 0);
  EXPECT_NE(HostCheckBreak(), 0);
  EXPECT_EQ(polled, 2);
}

TEST(HostState, NoCurrentHostFailsSafely) {
  host::CurrentHostScope none(nullptr);
  EXPECT_EQ(HostGetUnattendedFlag(), nullptr);
  EXPECT_EQ(HostCheckBreak(), 0);
  EXPECT_EQ(HostMessageBox("a", "b", 1), 0);
  char path[16] = "x";
  EXPECT_NE(HostExpandPath(path, sizeof path), 0);
}

TEST(HostDiagnostics, ReporterNamesTheOperationOnStderrAndInTheLog) {
  TestHost t;
  ScopeTrace outer, inner;
  int firstArgument = 0;
  HostScopeEnter(&outer, "CZantoriaKHTowary::RunExport", &firstArgument);
  HostScopeEnter(&inner, "przel_wal", &firstArgument);
  ExceptionReportFn** reporter = HostGetExceptionReporter();
  ASSERT_NE(reporter, nullptr);
  ASSERT_NE(*reporter, nullptr);
  testing::internal::CaptureStderr();
  (*reporter)("przel_wal", 0xC0000094u, nullptr, &firstArgument);
  std::string out = testing::internal::GetCapturedStderr();
  HostScopeLeave(&inner);
  HostScopeLeave(&outer);
  EXPECT_NE(out.find("0xC0000094"), std::string::npos) << out;
  EXPECT_NE(out.find("\"przel_wal\""), std::string::npos) << out;
  EXPECT_NE(out.find("CZantoriaKHTowary::RunExport > przel_wal"), std::string::npos) << out;
  std::string log = TestHost::ReadFile(t.host().options.configDir + "/vostra.log");
  EXPECT_NE(log.find("0xC0000094"), std::string::npos) << log;
  EXPECT_NE(log.find("przel_wal"), std::string::npos) << log;
  EXPECT_TRUE(t.host().services->scopes().empty());
}

TEST(HostDiagnostics, ScopesLeftOutOfOrderKeepTheStackSound) {
  TestHost t;
  ScopeTrace a, b, c;
  HostScopeEnter(&a, "a", nullptr);
  HostScopeEnter(&b, "b", nullptr);
  HostScopeEnter(&c, "c", nullptr);
  HostScopeLeave(&b);  // an exception skipped c's leave: b's leave drops c too
  ASSERT_EQ(t.host().services->scopes().size(), 1u);
  HostScopeLeave(&c);  // late and harmless
  HostScopeLeave(&b);  // twice: harmless
  ASSERT_EQ(t.host().services->scopes().size(), 1u);
  EXPECT_EQ(t.host().services->scopes()[0].name, "a");
  HostScopeLeave(&a);
  EXPECT_TRUE(t.host().services->scopes().empty());
}

}  // namespace

namespace {

TEST(HostBreak, FirstCtrlCAsksToStopTheSecondEndsTheProgram) {
  EXPECT_EXIT(
      {
        TestHost t;
        host::services::InstallBreakHandler(t.host());
        std::raise(SIGINT);
        std::_Exit(HostCheckBreak() == 1 ? 0 : 3);
      },
      testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        TestHost t;
        host::services::InstallBreakHandler(t.host());
        std::raise(SIGINT);
        std::raise(SIGINT);
        std::_Exit(4);  // not reached: the second Ctrl+C ends the program
      },
      testing::KilledBySignal(SIGINT), "");
}

TEST(HostBreak, HandlerIsForgottenWithItsHost) {
  EXPECT_EXIT(
      {
        {
          TestHost t;
          host::services::InstallBreakHandler(t.host());
        }
        std::raise(SIGINT);  // the default action again: no write into a host that is gone
        std::_Exit(4);
      },
      testing::KilledBySignal(SIGINT), "");
}

}  // namespace
