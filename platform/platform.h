// The seam to the operating system: modules and their ordinal exports, the module's own path,
// the debugger trace, bounded formatting and structured exceptions.
//
// Nothing outside this folder includes <dlfcn.h> or signal headers. A module here is a shared
// object; its exports by ordinal are listed in its export directory (a table of ordinal and
// address), which VOSTRA_EXPORT_DIRECTORY (or, in a plug-in, VOSTRA_PLUGIN_EXPORT_DIRECTORY)
// defines and LookupOrdinal searches. All functions
// are safe to call from static initialisers; none is thread-safe beyond what the loader gives.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

namespace platform {

using ModuleHandle = void*;

// One export of a module by ordinal. An entry whose address is null is not exported.
struct ExportEntry {
  std::uint32_t ordinal;
  void* address;
};
struct ExportDirectory {
  std::uint32_t count;
  const ExportEntry* entries;
};

// File name of a module of the given base name ("TOVRAN" -> "TOVRAN.so").
inline constexpr const char* kModuleSuffix = ".so";

// Finds a module already loaded into the process by its base name; null when not loaded.
ModuleHandle FindLoadedModule(const char* baseName);

// Loads a module from a path; null on failure, with the loader's reason in error (may be null).
ModuleHandle LoadModule(const char* path, char* error, std::size_t errorSize);
void UnloadModule(ModuleHandle module);

// The address that the module exports under the ordinal, or null.
void* LookupOrdinal(ModuleHandle module, std::uint32_t ordinal);

// The module that holds the given code or data address; null when none does.
ModuleHandle ModuleOfAddress(const void* address);

// Full path of the module that holds the address, at most size bytes with the terminator;
// returns the length written (0 on failure, with an empty text).
std::size_t ModulePathOfAddress(const void* address, char* out, std::size_t size);

// Full path of the running program; returns its length, or 0 with an empty text when it is
// unknown or does not fit in size bytes with the terminator.
std::size_t ExecutablePath(char* out, std::size_t size);

// True when a debugger is attached to the process.
bool IsDebuggerPresent();
// Hands a trace text to an attached debugger (standard error, where the debugger shows it).
void OutputDebugString(const char* text);

// Ctrl+C: the first interrupt calls onInterrupt (from a signal handler, so it may only set an
// atomic flag); a second one ends the program as an interrupted program ends. A null handler
// puts the default action back. Each call starts the count anew.
void SetInterruptHandler(void (*onInterrupt)());

// printf-style formatting that writes at most 1024 characters and the terminator.
int FormatShort(char* out, const char* format, ...) __attribute__((format(printf, 2, 3)));
int FormatShortV(char* out, const char* format, va_list args);

// A structured exception: a fault the host cannot return, with its code and information.
class SE_Exception {
 public:
  SE_Exception(std::uint32_t code, void* info) : code_(code), info_(info) {}
  virtual ~SE_Exception();
  std::uint32_t code() const { return code_; }
  void* info() const { return info_; }

 private:
  std::uint32_t code_;
  void* info_;
};

// Raises a structured exception with the code (continuable, flags and arguments ignored as on
// the original platform's RaiseException with no arguments).
[[noreturn]] void RaiseException(std::uint32_t code, std::uint32_t flags, std::uint32_t argCount,
                                 const std::uintptr_t* args);

}  // namespace platform

// Defines the module's export directory from an array of platform::ExportEntry.
#define VOSTRA_EXPORT_DIRECTORY(entries_array) \
  VOSTRA_EXPORT_DIRECTORY_NAMED(vostra_export_directory, entries_array)
// The same for a plug-in. Its directory has a name of its own, so that a program that links a
// plug-in's code and also loads the host (tests, benchmarks) holds two distinct directories.
#define VOSTRA_PLUGIN_EXPORT_DIRECTORY(entries_array) \
  VOSTRA_EXPORT_DIRECTORY_NAMED(vostra_plugin_export_directory, entries_array)

#define VOSTRA_EXPORT_DIRECTORY_NAMED(symbol, entries_array)                                     \
  extern "C" __attribute__((visibility("default"))) const ::platform::ExportDirectory symbol = { \
      sizeof(entries_array) / sizeof((entries_array)[0]), (entries_array)}

// Names of the export directory symbols that LookupOrdinal searches, in this order.
#define VOSTRA_EXPORT_DIRECTORY_SYMBOL "vostra_export_directory"
#define VOSTRA_PLUGIN_EXPORT_DIRECTORY_SYMBOL "vostra_plugin_export_directory"
