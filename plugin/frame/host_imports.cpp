// Binding of the host functions by ordinal.
//
// The entries start as lazy stubs. The load-time binders run first among the module's static
// initialisers, right after the attach step (module.cpp) has found TOVRAN: one binder per entry
// in binding order, each reporting success whatever the outcome, so a missing host function
// never fails the load; it leaves its entry empty and a mark in the failure record. A call
// that meets a lazy stub (possible only before the binders ran) binds its entry and goes on.
#include "frame/host_imports.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "format/codepage.h"
#include "frame/module.h"
#include "platform.h"
#include "trampolines.h"

extern "C" char vostra_lazy_stubs[];
extern "C" void vostra_resolve_host_import(int index);

VOSTRA_DEFINE_LAZY_STUBS(vostra_lazy_stubs, 135, HostImportTable, vostra_resolve_host_import);

namespace plugin {

namespace {

#define VOSTRA_ORDINAL_OF(pos, ord, Name, Ret, Params) ord,
constexpr std::uint32_t kOrdinals[kHostImportCount] = {VOSTRA_HOST_IMPORTS(VOSTRA_ORDINAL_OF)};
#undef VOSTRA_ORDINAL_OF

constexpr std::size_t kStubSpacing = 16;

}  // namespace

// The import table, holding the lazy stubs until the binders run.
extern "C" {
__attribute__((visibility("hidden"))) HostEntry HostImportTable[kHostImportCount] = {
#define VOSTRA_STUB_OF(pos, ord, Name, Ret, Params) \
  reinterpret_cast<HostEntry>(vostra_lazy_stubs + kStubSpacing * (pos - 1)),
    VOSTRA_HOST_IMPORTS(VOSTRA_STUB_OF)
#undef VOSTRA_STUB_OF
};
}

std::uint32_t MissingImportCount = 0;
std::uint16_t MissingImportOrdinals[8] = {};

HostEntry LazyStubOf(int position) {
  return reinterpret_cast<HostEntry>(vostra_lazy_stubs + kStubSpacing * (position - 1));
}

HostEntry BindHostImport(std::uint32_t ordinal, HostEntry* entry) {
  auto address = reinterpret_cast<HostEntry>(platform::LookupOrdinal(HostModule, ordinal));
  *entry = address;
  if (address) return address;

  std::uint32_t n = MissingImportCount++;
  if (n < 8) MissingImportOrdinals[n] = static_cast<std::uint16_t>(ordinal);

  char trace[1024];
  std::snprintf(trace, sizeof trace, "Brak funkcji o numerze %d\n", static_cast<int>(ordinal));
  if (platform::IsDebuggerPresent()) platform::OutputDebugString(trace);
  return nullptr;
}

std::uint32_t FormatMissingImports(char* text) {
  text[0] = 0;
  if (MissingImportCount == 0) return 0;

  char list[256];
  list[0] = 0;
  if (MissingImportCount == 1) {
    std::snprintf(list, sizeof list, "funkcję o numerze %hu"_mz, MissingImportOrdinals[0]);
  } else {
    std::uint32_t recorded = std::min<std::uint32_t>(MissingImportCount, 8);
    std::uint16_t sorted[8];
    std::copy_n(MissingImportOrdinals, recorded, sorted);
    std::sort(sorted, sorted + recorded);
    std::size_t used = static_cast<std::size_t>(std::snprintf(list, sizeof list, "funkcje o numerach"));
    for (std::uint32_t i = 0; i < recorded && used < sizeof list; ++i)
      used += static_cast<std::size_t>(
          std::snprintf(list + used, sizeof list - used, " %hu,", sorted[i]));
    std::size_t len = std::strlen(list);
    if (len > 0 && list[len - 1] == ',') list[len - 1] = 0;
  }

  std::snprintf(text, 3072,
                "Wtyczka \"%s\" potrzebuje zaimportować\n%s z modułu głównego,\njednak moduł "
                "główny %s nie posiada. Aby naprawić tę sytuację\nzainstaluj aktualizację "
                "programu oraz wtyczki.\n\nWTYCZKA NIE ZOSTANIE ZAŁADOWANA!!!\n"_mz,
                kDisplayName, list, MissingImportCount == 1 ? "jej" : "ich");
  return MissingImportCount;
}

}  // namespace plugin

// Resolver of the lazy stubs: binds entry `index` (0-based) on its first call.
extern "C" __attribute__((visibility("hidden"))) void vostra_resolve_host_import(int index) {
  plugin::BindHostImport(plugin::kOrdinals[index], &plugin::HostImportTable[index]);
}

namespace plugin {
namespace {
// The load-time binders: one per entry, in binding order, right after the attach step.
__attribute__((constructor(kBindersPriority))) void BindAllHostImports() {
  for (int i = 0; i < kHostImportCount; ++i) BindHostImport(kOrdinals[i], &HostImportTable[i]);
}
}  // namespace
}  // namespace plugin
