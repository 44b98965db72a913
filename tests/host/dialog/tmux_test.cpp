// The program in a real terminal: vostra without a command runs in a detached tmux session of
// 100 x 35 cells, is driven with send-keys and read with capture-pane. Skipped where tmux is
// missing. Each step waits (bounded) until the screen shows what the step expects.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

#include "test_host.h"

namespace {

namespace fs = std::filesystem;

std::string Shell(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  std::array<char, 4096> buffer;
  for (std::size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) out.append(buffer.data(), n);
  pclose(pipe);
  return out;
}

class TmuxSession {
 public:
  TmuxSession() : name_("vostra-dialog-" + std::to_string(getpid())) {}
  ~TmuxSession() { Shell("tmux kill-session -t " + name_ + " 2>/dev/null"); }

  bool Start(const std::string& command) {
    const std::string line = "tmux new-session -d -s " + name_ + " -x 100 -y 35 \"" + command + "\" 2>&1";
    Shell(line);
    return Wait("Polecenia");
  }
  void Keys(const std::string& keys) { Shell("tmux send-keys -t " + name_ + " " + keys); }
  std::string Screen() { return Shell("tmux capture-pane -p -t " + name_ + " 2>/dev/null"); }
  // Waits until the screen holds the text; at most ten seconds.
  bool Wait(const std::string& text) {
    for (int i = 0; i < 200; ++i) {
      if (Screen().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  bool WaitGone(const std::string& text) {
    for (int i = 0; i < 200; ++i) {
      if (Screen().find(text) == std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

 private:
  std::string name_;
};

TEST(Terminal, MainWindowOptionsDialogDecreeDialogAndARunInTmux) {
  if (Shell("command -v tmux").empty()) GTEST_SKIP() << "tmux is not installed";
  testing_support::TestHost test("20240315", false);
  const std::string vostra = std::string(VOSTRA_BINARY_DIR) + "/bin/vostra";
  const auto& o = test.host().options;
  const std::string global = " --db " + o.dbPath + " --config-dir " + o.configDir + " --export-dir " +
                             o.exportDir + " --today 2024-03-15";
  ASSERT_EQ(std::system((vostra + global + " db sample >/dev/null 2>&1").c_str()), 0);
  std::ofstream(o.configDir + "/WtyczkiG.ini") << "[EksportZantoriaTowary]\nPytaj=1\n";

  TmuxSession tmux;
  ASSERT_TRUE(tmux.Start("TERM=xterm-256color " + vostra + global + "; sleep 5")) << tmux.Screen();
  EXPECT_NE(tmux.Screen().find("Eksport Zantoria 3.0 (towary)"), std::string::npos);

  tmux.Keys("Enter");
  ASSERT_TRUE(tmux.Wait("Zakres eksportu dokumentów")) << tmux.Screen();
  EXPECT_TRUE(tmux.Wait("[ ] Faktury i korekty sprzedaży")) << tmux.Screen();
  tmux.Keys("M-s");  // Alt+S ticks the sales box
  EXPECT_TRUE(tmux.Wait("[x] Faktury i korekty sprzedaży")) << tmux.Screen();

  tmux.Keys("F3");
  ASSERT_TRUE(tmux.Wait("[F3 Dekrety]")) << tmux.Screen();
  tmux.Keys("i");  // "Konf~i~g" of the correcting invoices
  ASSERT_TRUE(tmux.Wait("Konfiguracja dekretu - schemat 1:korekty.kraj:")) << tmux.Screen();
  const std::string decree = tmux.Screen();
  EXPECT_NE(decree.find("Brutto:"), std::string::npos) << decree;
  EXPECT_NE(decree.find("[ Towar ]"), std::string::npos) << decree;
  tmux.Keys("Escape");
  ASSERT_TRUE(tmux.WaitGone("Konfiguracja dekretu")) << tmux.Screen();

  tmux.Keys("F12");
  ASSERT_TRUE(tmux.Wait("Ilość dok. sprzedaży")) << tmux.Screen();
  tmux.Keys("Enter");
  ASSERT_TRUE(tmux.WaitGone("Ilość dok. sprzedaży")) << tmux.Screen();
  tmux.Keys("q");
  tmux.WaitGone("Polecenia");

  EXPECT_TRUE(fs::exists(o.exportDir + "/VOSTRA.TXT"));
  const std::string ini = testing_support::TestHost::ReadFile(o.configDir + "/WtyczkiG.ini");
  EXPECT_NE(ini.find("Opcje=1,0,0,0,0"), std::string::npos) << ini;
}

}  // namespace
