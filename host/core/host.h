// The host context: everything the running program has, built once in main() (or by a test)
// and reached by the exported host functions through one pointer.
//
// A Host owns its subsystems: the database store, the services' state (settings, files, mail,
// messages), the dialog engine with its screen, and the plug-ins with their commands. Tests
// build a Host of their own over a temporary database and folder. Not thread-safe; only
// `breakRequested` may be set from a signal handler.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace host {

namespace store { class Store; }
namespace services { class Services; }
namespace dialog { class Dialogs; }
namespace app { class Plugins; }

// What the command line (or a test) sets; every field has a default (see the README).
struct HostOptions {
  std::string dbPath;        // --db
  std::string configDir;     // --config-dir: "WtyczkiG.ini", mail settings
  std::string exportDir;     // --export-dir: folder of HostDefaultPath
  std::string pluginsDir;    // --plugins
  std::string today;         // --today as YYYYMMDD; empty = the system clock
  bool unattended = false;   // --unattended
  std::string keys;          // --keys: key script that drives dialogs
  std::string screenDump;    // --screen-dump: file for the last screen, UTF-8
};

// Where messages for a person go: the command line (standard error) or the main window.
// Texts are Mazovia with the host's markup bytes.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // flags 1: a box that waits for the user; 0x200: a notice that stays up while work runs.
  virtual int Show(const std::string& title, const std::string& text, int flags) = 0;
  virtual void CloseNotice() = 0;
  virtual int ShowError(const std::string& text) = 0;
};

// Answers of this build of TOVRAN (test builds change them to make the plug-in refuse).
struct TovranVariant {
  int interfaceVersion;          // HostGetInterfaceVersion
  const char* rejectText;        // non-null: HostCheckModule rejects with this text (Mazovia)
  int resizedTable;              // a table number whose record size is reported differently...
  int resizedTableSize;          // ...as this size
  int missingTable;              // a table number that HostGetTable does not know (0: none)
  std::uint32_t missingFeatures; // what the host writes into a plug-in's MissingFeatures word
};
extern const TovranVariant kTovranVariant;

class Host {
 public:
  explicit Host(HostOptions options);
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  HostOptions options;

  // Values that the exported functions hand out by address.
  std::int32_t unattendedFlag = 0;   // HostGetUnattendedFlag
  std::int32_t codePage = 1;         // HostGetCodePage: Mazovia
  std::uint16_t stateFlags = 0;      // HostGetStateFlags / HostSetStateFlags
  std::atomic<int> breakRequested{0};  // HostCheckBreak; set by Ctrl+C or Esc

  // Called by HostCheckBreak before it answers: the screen polls its keys (Esc in the progress
  // window sets breakRequested) and moves its progress display. Empty without a screen.
  std::function<void()> pollUi;

  std::unique_ptr<store::Store> store;
  std::unique_ptr<services::Services> services;
  std::unique_ptr<dialog::Dialogs> dialogs;
  std::unique_ptr<app::Plugins> plugins;

  // The current message sink: the command line unless the main window has put its own.
  MessageSink* messages = nullptr;
  std::unique_ptr<MessageSink> consoleMessages;
};

// The host that the exported functions serve; set by main() or a test, null otherwise.
Host* Current();
void SetCurrent(Host* host);

// Sets the current host for a scope and puts the previous one back.
class CurrentHostScope {
 public:
  explicit CurrentHostScope(Host* host) : previous_(Current()) { SetCurrent(host); }
  ~CurrentHostScope() { SetCurrent(previous_); }
  CurrentHostScope(const CurrentHostScope&) = delete;
  CurrentHostScope& operator=(const CurrentHostScope&) = delete;

 private:
  Host* previous_;
};

}  // namespace host
