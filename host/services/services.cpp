// The Services object, messages, state flags, the break test, the scope trace and the
// exception reporter.
#include "services/services.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>

#include "core/encoding.h"
#include "format/codepage.h"
#include "frame/host_services.h"
#include "services/internal.h"
#include "services/markup.h"
#include "platform.h"

namespace host::services {

// --- Helpers ------------------------------------------------------------------------------

Services* CurrentServices() {
  Host* host = Current();
  return host ? host->services.get() : nullptr;
}

std::string Utf8ToMazoviaLossy(std::string_view utf8) {
  std::string out, one;
  std::size_t i = 0;
  while (i < utf8.size()) {
    std::size_t start = i;
    std::int32_t cp = codepage::DecodeUtf8(utf8.data(), utf8.size(), i);
    int byte = cp < 0 ? -1 : codepage::UnicodeToMazovia(cp);
    if (byte < 0) {
      out.push_back('?');
    } else {
      out.push_back(static_cast<char>(byte));
    }
    if (i == start) ++i;  // defensive: always advance
  }
  return out;
}

void ShowErrorUtf8(const std::string& text) {
  Host* host = Current();
  if (host && host->messages) host->messages->ShowError(Utf8ToMazoviaLossy(text));
}

int ShowMessageUtf8(const std::string& title, const std::string& text, int flags) {
  Host* host = Current();
  if (!host || !host->messages) return 0;
  return host->messages->Show(Utf8ToMazoviaLossy(title), Utf8ToMazoviaLossy(text), flags);
}

// --- Console messages ---------------------------------------------------------------------

namespace {
void PrintBox(const std::string& title, const std::string& text) {
  std::string out;
  if (!title.empty()) out += RenderMarkupPlain(title) + ":\n";
  std::string body = RenderMarkupPlain(text);
  // Each line of the text indented under its title; the box ends with a line feed.
  std::size_t at = 0;
  while (at <= body.size()) {
    std::size_t end = body.find('\n', at);
    if (end == std::string::npos) end = body.size();
    if (end > at || end < body.size()) out += "  " + body.substr(at, end - at) + "\n";
    if (end == body.size()) break;
    at = end + 1;
  }
  std::fwrite(out.data(), 1, out.size(), stderr);
  std::fflush(stderr);
}
}  // namespace

int ConsoleMessageSink::Show(const std::string& title, const std::string& text, int flags) {
  (void)flags;  // a notice (0x200) is printed once like a box; no one waits on the console
  PrintBox(title, text);
  return 1;
}

void ConsoleMessageSink::CloseNotice() {}

int ConsoleMessageSink::ShowError(const std::string& text) {
  PrintBox("Błąd"_mz, text);
  return 0;
}

// --- Services -----------------------------------------------------------------------------

Services::Services(Host& host) : host_(host) {
  host_.consoleMessages = std::make_unique<ConsoleMessageSink>();
  if (!host_.messages) host_.messages = host_.consoleMessages.get();
}

void ForgetBreakHandler(Host& host);

Services::~Services() {
  ForgetBreakHandler(host_);
  if (host_.messages == host_.consoleMessages.get()) host_.messages = nullptr;
  host_.consoleMessages.reset();
}

void Services::AppendLog(const std::string& utf8Line) {
  if (host_.options.configDir.empty()) return;
  std::ofstream log(host_.options.configDir + "/vostra.log", std::ios::app | std::ios::binary);
  if (log) log << utf8Line << '\n';
}

// --- Break handler ------------------------------------------------------------------------

namespace {
Host* g_breakHost = nullptr;

// Runs inside the signal handler: it only sets the host's atomic flag.
void OnBreak() {
  if (Host* host = g_breakHost) host->breakRequested.store(1);
}
}  // namespace

// The handler must never reach a host that is gone: its end puts the default action back.
void ForgetBreakHandler(Host& host) {
  if (g_breakHost != &host) return;
  platform::SetInterruptHandler(nullptr);
  g_breakHost = nullptr;
}

void InstallBreakHandler(Host& host) {
  g_breakHost = &host;
  platform::SetInterruptHandler(OnBreak);
}

// --- Exception reporter -------------------------------------------------------------------

namespace {

void ReportException(const char* name, std::uint32_t code, void* info, const void* args) {
  (void)args;
  Host* host = Current();
  Services* services = host ? host->services.get() : nullptr;
  std::string operation = name ? MazoviaToUtf8(name) : std::string();
  std::string chain;
  if (services) {
    for (const auto& scope : services->scopes()) {
      if (!chain.empty()) chain += " > ";
      chain += MazoviaToUtf8(scope.name);
    }
  }
  if (operation.empty() && services && !services->scopes().empty())
    operation = MazoviaToUtf8(services->scopes().back().name);
  char head[96];
  std::snprintf(head, sizeof head, "Wyjątek 0x%08X (informacja %p)", code, info);
  std::string line = std::string(head) + " w operacji \"" +
                     (operation.empty() ? std::string("(nieznana)") : operation) + "\"";
  if (!chain.empty()) line += "; ślad: " + chain;
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
  if (services) {
    char stamp[32] = "";
    std::time_t now = std::time(nullptr);
    std::tm local {};
    if (localtime_r(&now, &local)) std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S ", &local);
    services->AppendLog(stamp + line);
  }
}

ExceptionReportFn* g_reporter = &ReportException;

// The scope trace's storage: the owning Services (so a leave after a host change is
// harmless) and the depth at which the scope was entered.
struct ScopeState {
  Services* services;
  std::uint64_t depth;
};
static_assert(sizeof(ScopeState) <= sizeof(ScopeTrace::storage));

}  // namespace

}  // namespace host::services

using host::services::CurrentServices;

// --- Messages -----------------------------------------------------------------------------

namespace {

host::MessageSink* Sink() {
  host::Host* host = host::Current();
  return host ? host->messages : nullptr;
}

std::string FormatV(const char* format, va_list args) {
  if (!format) return {};
  va_list again;
  va_copy(again, args);
  char small[1024];
  int count = std::vsnprintf(small, sizeof small, format, args);
  std::string out;
  if (count < 0) {
    out.clear();
  } else if (count < static_cast<int>(sizeof small)) {
    out.assign(small, static_cast<std::size_t>(count));
  } else {
    out.resize(static_cast<std::size_t>(count) + 1);
    std::vsnprintf(out.data(), out.size(), format, again);
    out.resize(static_cast<std::size_t>(count));
  }
  va_end(again);
  return out;
}

}  // namespace

extern "C" int HostMessageBox(const char* title, const char* text, int flags) {
  host::MessageSink* sink = Sink();
  if (!sink) return 0;
  return sink->Show(title ? title : "", text ? text : "", flags);
}

extern "C" int HostMessageBoxV(int, const char* title, const char* format, int flags,
                               va_list args) {
  host::MessageSink* sink = Sink();
  if (!sink) return 0;
  return sink->Show(title ? title : "", FormatV(format, args), flags);
}

extern "C" int HostMessageBoxF(int, const char* title, const char* format, int flags, int extra,
                               ...) {
  host::MessageSink* sink = Sink();
  if (!sink) return 0;
  va_list args;
  va_start(args, extra);
  std::string text = FormatV(format, args);
  va_end(args);
  return sink->Show(title ? title : "", text, flags);
}

extern "C" void HostMessageBoxClose() {
  if (host::MessageSink* sink = Sink()) sink->CloseNotice();
}

extern "C" int HostShowError(const char* text) {
  host::MessageSink* sink = Sink();
  if (!sink) return 0;
  return sink->ShowError(text ? text : "");
}

// --- State --------------------------------------------------------------------------------

extern "C" std::uint16_t HostGetStateFlags() {
  host::Host* host = host::Current();
  return host ? host->stateFlags : 0;
}

extern "C" void HostSetStateFlags(std::uint16_t flag, int on) {
  host::Host* host = host::Current();
  if (!host) return;
  if (on) {
    host->stateFlags = static_cast<std::uint16_t>(host->stateFlags | flag);
  } else {
    host->stateFlags = static_cast<std::uint16_t>(host->stateFlags & ~flag);
  }
}

extern "C" std::int32_t* HostGetUnattendedFlag() {
  host::Host* host = host::Current();
  return host ? &host->unattendedFlag : nullptr;
}

extern "C" std::int32_t* HostGetCodePage() {
  host::Host* host = host::Current();
  return host ? &host->codePage : nullptr;
}

extern "C" int HostCheckBreak() {
  host::Host* host = host::Current();
  if (!host) return 0;
  if (host->pollUi) host->pollUi();
  return host->breakRequested.load() != 0 ? 1 : 0;
}

// --- Scope trace and exception reporter ---------------------------------------------------

extern "C" void HostScopeEnter(ScopeTrace* scope, const char* name, const void*) {
  if (!scope) return;
  host::services::ScopeState state{CurrentServices(), 0};
  if (state.services) {
    state.depth = state.services->scopes().size();
    state.services->scopes().push_back({scope, name ? name : ""});
  }
  std::memset(scope->storage, 0, sizeof scope->storage);
  std::memcpy(scope->storage, &state, sizeof state);
}

extern "C" void HostScopeLeave(ScopeTrace* scope) {
  if (!scope) return;
  host::services::ScopeState state{};
  std::memcpy(&state, scope->storage, sizeof state);
  // Only the services that entered the scope, and only if the scope is still on its stack:
  // leaving twice, or leaving a scope whose inner scopes were never left, stays consistent.
  if (state.services && state.services == CurrentServices()) {
    auto& scopes = state.services->scopes();
    if (state.depth < scopes.size() && scopes[state.depth].trace == scope)
      scopes.resize(state.depth);
  }
  std::memset(scope->storage, 0, sizeof scope->storage);
}

extern "C" ExceptionReportFn** HostGetExceptionReporter() { return &host::services::g_reporter; }
