// The plug-in's side of the host functions: its import table and the calls through it.
//
// HostImportTable holds one entry per host function in binding order (host_services.h). Each
// entry starts as its lazy stub and is bound by ordinal when the module loads; every call of
// the plug-in goes through its entry. A call through an entry whose binding failed must not
// be made: PluginInitialize refuses the host while any binding is missing.
#pragma once

#include <cstdint>
#include <utility>

#include "frame/host_services.h"

namespace plugin {

using HostEntry = void (*)();
extern "C" HostEntry HostImportTable[kHostImportCount];

// Failure record of the binding, final after load.
extern std::uint32_t MissingImportCount;
extern std::uint16_t MissingImportOrdinals[8];

// Binds the entry of the ordinal: stores the host's address (or null) in it, records a
// failure and traces it for a debugger. Returns the address.
HostEntry BindHostImport(std::uint32_t ordinal, HostEntry* entry);

// The lazy stub of the entry at a 1-based position: the entry's value before binding.
HostEntry LazyStubOf(int position);

// Formats the missing-function message into text (3072 bytes); returns MissingImportCount.
std::uint32_t FormatMissingImports(char* text);

// Calls through the entries: HostFilePrintf(file, "...", ...) and so on.
#define VOSTRA_DEFINE_HOST_CALL(pos, ord, Name, Ret, Params)                       \
  template <class... Args>                                                         \
  inline Ret Name(Args&&... args) {                                                \
    return reinterpret_cast<Name##_fn*>(HostImportTable[pos - 1])(                 \
        std::forward<Args>(args)...);                                              \
  }
VOSTRA_HOST_IMPORTS(VOSTRA_DEFINE_HOST_CALL)
#undef VOSTRA_DEFINE_HOST_CALL

}  // namespace plugin
