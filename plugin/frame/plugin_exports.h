// What a plug-in module offers the host, declared once for both sides.
//
// A plug-in exports, by ordinal only, four functions (30001 PluginInitialize, 30008
// PluginStart, 30009, 30010) and two data items of this platform: the MissingFeatures word,
// which the host writes before it starts the module, and the module's version record, which
// the host only reads. The host looks them up with platform::LookupOrdinal; nothing else of a
// plug-in is visible from outside. Texts are NUL-terminated; the version texts are ASCII.
#pragma once

#include <cstdint>

#include "frame/host_services.h"

namespace plugin_abi {

inline constexpr std::uint32_t kOrdinalInitialize = 30001;
inline constexpr std::uint32_t kOrdinalStart = 30008;
inline constexpr std::uint32_t kOrdinalExport30009 = 30009;
inline constexpr std::uint32_t kOrdinalExport30010 = 30010;
// Data exports of this platform, outside the range of the functions.
inline constexpr std::uint32_t kOrdinalMissingFeatures = 1;  // std::uint32_t, host-written
inline constexpr std::uint32_t kOrdinalVersionInfo = 2;      // const VersionInfo

// 30001: notify null = shutdown (result 0); otherwise 0 = ready, -1 = the module refuses.
// nameBuffer, when not null, receives the display name (at least 30 bytes, Mazovia).
using InitializeFn = std::int32_t(HostNotifyFn* notify, char* nameBuffer);
// 30008: 0 starts the module (registers its commands); non-zero shows the load report.
using StartFn = std::int32_t(std::int32_t showReport);
using Export30009Fn = std::int32_t();
using Export30010Fn = std::uint32_t(std::int32_t value);

// Size of the name buffer the host hands to 30001.
inline constexpr int kNameBufferSize = 256;

// The value of MissingFeatures in the module image: "not yet told by the host".
inline constexpr std::uint32_t kFeaturesUnknown = 0xFFFFFFFFu;

// The module's version record: numeric versions and string tables by language.
struct VersionString {
  const char* key;
  const char* value;
};
struct VersionTable {
  std::uint16_t language;  // 0x0415 Polish, 0x0409 English
  std::uint16_t codePage;  // of the original resource: 1200 or 1252
  std::uint32_t count;
  const VersionString* strings;
};
struct VersionInfo {
  std::uint16_t fileVersion[4];
  std::uint16_t productVersion[4];
  std::uint32_t tableCount;
  const VersionTable* tables;
};

// The value of `key` in the table of `language`, or null.
inline const char* VersionText(const VersionInfo& info, std::uint16_t language, const char* key) {
  for (std::uint32_t t = 0; t < info.tableCount; ++t) {
    const VersionTable& table = info.tables[t];
    if (table.language != language) continue;
    for (std::uint32_t i = 0; i < table.count; ++i) {
      const char* a = table.strings[i].key;
      const char* b = key;
      while (*a && *a == *b) ++a, ++b;
      if (*a == *b) return table.strings[i].value;
    }
  }
  return nullptr;
}

}  // namespace plugin_abi
