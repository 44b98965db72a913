// The module's exports and lifecycle: PluginInitialize (30001), PluginStart (30008), the
// exports 30009 and 30010, the command the module registers and the install notice.
//
// The host calls these on its thread, in the order: 30001 with its notification function,
// 30008 with 0 (or, when 30001 refused, with non-zero for the load report), the command any
// number of times, 30001 with null at shutdown. Results follow the host's conventions: 0 done,
// -1 refused; failures have been shown to the user.
#pragma once

#include <cstdint>

#include "frame/host_services.h"
#include "frame/plugin_exports.h"

namespace plugin {

inline constexpr std::int16_t kCommandId = 31028;
inline constexpr int kInstallNoticeDialog = 1668;
inline constexpr const char* kInstallSection = "EksportZantoriaTowary";
inline constexpr const char* kInstallKey = "Pytaj";

// The record that registers "Eksport Zantoria 3.0 (towary)"; the host keeps its address.
extern const ::PluginCommandRecord CommandRecord;

// The host's data word 22980 (the module's ordinary import); 256 for a host that is new
// enough. Points at the import; the module never writes through it.
extern const std::uint32_t* HostWord;

std::int32_t PluginInitialize(HostNotifyFn* notify, char* nameBuffer);
std::int32_t PluginStart(std::int32_t showReport);
void ShowInstallNotice();

// Hooks of the exports 30009 and 30010: nothing in the module sets them and the host has no
// way to; while empty, 30009 returns 0 and 30010 returns 0xB669FD2E. When set, the export
// passes its call to the hook unchanged.
extern "C" plugin_abi::Export30009Fn* vostra_hook_30009;
extern "C" plugin_abi::Export30010Fn* vostra_hook_30010;
extern "C" std::int32_t vostra_export_30009();
extern "C" std::uint32_t vostra_export_30010(std::int32_t value);
inline constexpr std::uint32_t kExport30010Default = 0xB669FD2Eu;

extern const plugin_abi::VersionInfo ModuleVersion;

}  // namespace plugin
