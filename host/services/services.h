// The host's services: texts, numbers, dates, files, settings, code pages, messages, state,
// diagnostics, zip and mail, offered to the plug-in as the extern "C" host functions of
// frame/host_services.h and to the rest of the host through the headers of this folder.
//
// One Services object lives in each Host (host.services). It owns the console message sink,
// the stack of named operations for crash reports and the write-fault countdown of the tests.
// The exported functions reach it through host::Current(); with no current host they fail
// (null, -1 or a non-zero status) instead of touching anything. Not thread-safe, except that
// the break handler may set host.breakRequested from a signal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/host.h"

namespace host::services {

// Prints messages on standard error in UTF-8, markup rendered (see markup.h). A notice
// (flag 0x200) is printed once; taking it down prints nothing.
class ConsoleMessageSink : public MessageSink {
 public:
  int Show(const std::string& title, const std::string& text, int flags) override;
  void CloseNotice() override;
  int ShowError(const std::string& text) override;
};

class Services {
 public:
  explicit Services(Host& host);
  ~Services();
  Services(const Services&) = delete;
  Services& operator=(const Services&) = delete;

  Host& host() { return host_; }

  // Names of the operations entered with HostScopeEnter and not yet left, innermost last.
  struct Scope {
    const void* trace;  // the caller's ScopeTrace storage
    std::string name;   // Mazovia, as passed in
  };
  std::vector<Scope>& scopes() { return scopes_; }

  // Write-fault countdown (see fault_injection.h). Returns true when this write is to fail.
  bool ConsumeWrite();
  void SetWriteFault(int countdown, bool persistent);
  void ClearWriteFault();
  bool WriteFaultFired() const { return faultFired_; }

  // Writes one line to the host's log file "vostra.log" in the config folder.
  void AppendLog(const std::string& utf8Line);

 private:
  Host& host_;
  std::vector<Scope> scopes_;
  int faultCountdown_ = 0;  // 0: no fault armed
  bool faultPersistent_ = true;
  bool faultFired_ = false;
};

// Makes Ctrl+C (SIGINT) set host.breakRequested; a second Ctrl+C ends the program with the
// usual status of an interrupted program. The host must outlive the handler (the program's
// one host does).
void InstallBreakHandler(Host& host);

}  // namespace host::services
