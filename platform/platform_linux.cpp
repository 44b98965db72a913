// Linux implementation of the platform seam.
#include "platform.h"

#include <dlfcn.h>
#include <signal.h>
#include <link.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace platform {

SE_Exception::~SE_Exception() = default;

ModuleHandle FindLoadedModule(const char* baseName) {
  std::string file = std::string(baseName) + kModuleSuffix;
  return dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD);
}

ModuleHandle LoadModule(const char* path, char* error, std::size_t errorSize) {
  void* module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (!module && error && errorSize) {
    const char* why = dlerror();
    std::snprintf(error, errorSize, "%s", why ? why : "?");
  }
  return module;
}

void UnloadModule(ModuleHandle module) {
  if (module) dlclose(module);
}

void* LookupOrdinal(ModuleHandle module, std::uint32_t ordinal) {
  if (!module) return nullptr;
  link_map* self = nullptr;
  if (dlinfo(module, RTLD_DI_LINKMAP, &self) != 0) return nullptr;
  for (const char* name : {VOSTRA_EXPORT_DIRECTORY_SYMBOL, VOSTRA_PLUGIN_EXPORT_DIRECTORY_SYMBOL}) {
    // dlsym on a handle searches the module first, then what it depends on; only the
    // module's own directory counts.
    auto* directory = static_cast<const ExportDirectory*>(dlsym(module, name));
    if (!directory) continue;
    link_map* owner = nullptr;
    Dl_info info{};
    if (!dladdr1(directory, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) ||
        owner != self)
      continue;
    for (std::uint32_t i = 0; i < directory->count; ++i)
      if (directory->entries[i].ordinal == ordinal) return directory->entries[i].address;
    return nullptr;
  }
  return nullptr;
}

ModuleHandle ModuleOfAddress(const void* address) {
  Dl_info info{};
  link_map* owner = nullptr;
  if (!dladdr1(address, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) || !owner)
    return nullptr;
  // The main program has no name in its link map (dladdr may answer with argv[0] instead);
  // dlopen(nullptr) is its handle.
  const char* name = owner->l_name && owner->l_name[0] ? owner->l_name : nullptr;
  return dlopen(name, RTLD_NOW | RTLD_NOLOAD);
}

std::size_t ModulePathOfAddress(const void* address, char* out, std::size_t size) {
  if (size == 0) return 0;
  out[0] = 0;
  Dl_info info{};
  link_map* owner = nullptr;
  if (!dladdr1(address, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) || !owner)
    return 0;
  std::string path;
  if (owner->l_name && owner->l_name[0]) {
    path = owner->l_name;
  } else {
    // The main program: its link map has no name.
    char self[4096];
    if (ExecutablePath(self, sizeof self) == 0) return 0;
    path = self;
  }
  // As the original platform does, a path longer than the buffer is cut at its end.
  std::size_t n = path.size() < size - 1 ? path.size() : size - 1;
  std::memcpy(out, path.data(), n);
  out[n] = 0;
  return n;
}

std::size_t ExecutablePath(char* out, std::size_t size) {
  if (size == 0) return 0;
  out[0] = 0;
  char self[4096];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self);
  // A path cut short would name another file: refuse it instead.
  if (n <= 0 || static_cast<std::size_t>(n) >= sizeof self || static_cast<std::size_t>(n) >= size)
    return 0;
  std::size_t length = static_cast<std::size_t>(n);
  std::memcpy(out, self, length);
  out[length] = 0;
  return length;
}

bool IsDebuggerPresent() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return false;
  char line[256];
  bool traced = false;
  while (std::fgets(line, sizeof line, status)) {
    if (std::strncmp(line, "TracerPid:", 10) == 0) {
      traced = std::atoi(line + 10) != 0;
      break;
    }
  }
  std::fclose(status);
  return traced;
}

void OutputDebugString(const char* text) { std::fputs(text, stderr); }

namespace {
void (*volatile g_onInterrupt)() = nullptr;
volatile sig_atomic_t g_interrupts = 0;

extern "C" void OnInterruptSignal(int signal) {
  const bool again = g_interrupts != 0;
  g_interrupts = 1;
  void (*handler)() = g_onInterrupt;
  if (again || !handler) {
    ::signal(signal, SIG_DFL);
    ::raise(signal);
    return;
  }
  handler();
}
}  // namespace

void SetInterruptHandler(void (*onInterrupt)()) {
  g_interrupts = 0;
  g_onInterrupt = onInterrupt;
  struct sigaction action {};
  action.sa_handler = onInterrupt ? OnInterruptSignal : SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
}

int FormatShortV(char* out, const char* format, va_list args) {
  int n = std::vsnprintf(out, 1025, format, args);
  if (n < 0) {
    out[0] = 0;
    return 0;
  }
  return n > 1024 ? 1024 : n;
}

int FormatShort(char* out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int n = FormatShortV(out, format, args);
  va_end(args);
  return n;
}

void RaiseException(std::uint32_t code, std::uint32_t, std::uint32_t, const std::uintptr_t*) {
  throw SE_Exception(code, nullptr);
}

}  // namespace platform
