#include "frame/lifecycle.h"

#include <cstdio>
#include <cstring>

#include "format/codepage.h"
#include "frame/host_imports.h"
#include "frame/load_checks.h"
#include "frame/module.h"
#include "frame/settings.h"
#include "platform.h"
#include "run/exporter.h"
#include "trampolines.h"

// The host's data word 22980, imported from TOVRAN by the ordinary import table.
extern "C" const std::uint32_t TOVRAN_22980;

extern "C" {
__attribute__((visibility("hidden"))) plugin_abi::Export30009Fn* vostra_hook_30009 = nullptr;
__attribute__((visibility("hidden"))) plugin_abi::Export30010Fn* vostra_hook_30010 = nullptr;
}
VOSTRA_DEFINE_HOOKED_EXPORT(vostra_export_30009, vostra_hook_30009, 0);
VOSTRA_DEFINE_HOOKED_EXPORT(vostra_export_30010, vostra_hook_30010, 0xB669FD2E);

namespace plugin {

const std::uint32_t* HostWord = &TOVRAN_22980;

const ::PluginCommandRecord CommandRecord = {
    0, 26237, kDisplayName, kCommandId, 0, &OnMenuExport, {0, 0, 0, 0, 0, 0, 0, 0}};

std::int32_t PluginInitialize(HostNotifyFn* notify, char* nameBuffer) {
  if (!notify) {
    // Shutdown. A host that lacks the function never had the command registered.
    if (HostImportTable[kPos_HostUnregisterCommand - 1])
      HostUnregisterCommand(static_cast<std::int32_t>(CommandRecord.commandId));
    return 0;
  }
  HostNotify = notify;
  if (nameBuffer) std::memcpy(nameBuffer, kDisplayName, sizeof kDisplayName);
  // A host function that could not be bound must never be called: refuse the host, so that
  // it asks for the load report, which names the missing functions.
  if (MissingImportCount != 0) return -1;
  return CheckHostCompatibility();
}

std::int32_t PluginStart(std::int32_t showReport) {
  // Without every host function the module cannot run; only the report is safe to show.
  if (showReport != 0 || MissingImportCount != 0) {
    ShowLoadReport();
    return 0;
  }
  if (*HostWord != kHostWordValue) {
    HostShowError("Wtyczka wymaga nowszego programu (klasa CIdentDokZaznacz)!");
    return 0;
  }
  HostRegisterCommand(&CommandRecord);
  ShowInstallNotice();
  return 0;
}

void ShowInstallNotice() {
  std::int32_t answer = 0;
  std::int16_t status =
      IniAccess(kSettingsFile, kIniRead, kInstallSection, kInstallKey, "%d", &answer);
  if (status != 0)
    answer = 0;
  else if ((answer & 0xFFFF) != 0)
    return;

  char text[1025];
  platform::FormatShort(text, "Zainstalowano wtyczkę do programu:\n%s"_mz, kDisplayName);
  HostRunDialogById(kInstallNoticeDialog, &answer, 0, text);
  IniAccess(kSettingsFile, kIniWrite, kInstallSection, kInstallKey, "%d",
            static_cast<int>(static_cast<std::int16_t>(answer & 0xFFFF)));
}

namespace {

constexpr plugin_abi::VersionString kPolishStrings[] = {
    {"FileVersion", "1.1.0305.3622g"},
    {"ProductVersion", "5.24.0304.15034g"},
    {"FileDescription", "ExportZantoriaV3Towary"},
    {"InternalName", "ExportZantoriaV3Towary"},
    {"OriginalFilename", "ExportZantoriaV3Towary"},
    {"ProductName", "Vostra Nova"},
    {"CompileDate", "5.3.2024"},
};
constexpr plugin_abi::VersionString kEnglishStrings[] = {
    {"FileVersion", "1.1.0305.3622g"},
    {"ProductVersion", "5.24.0304.15034g"},
    {"FileDescription", "ExportZantoriaV3Towary"},
    {"InternalName", "ExportZantoriaV3Towary"},
    {"OriginalFilename", "ExportZantoriaV3Towary"},
    {"ProductName", "Vostra Nova"},
    {"CompileDate", "3/5/2024"},
};
constexpr plugin_abi::VersionTable kVersionTables[] = {
    {0x0415, 1200, sizeof kPolishStrings / sizeof kPolishStrings[0], kPolishStrings},
    {0x0409, 1252, sizeof kEnglishStrings / sizeof kEnglishStrings[0], kEnglishStrings},
};

}  // namespace

const plugin_abi::VersionInfo ModuleVersion = {
    {1, 1, 305, 3622}, {5, 24, 304, 15034}, 2, kVersionTables};

namespace {

// The module's export directory: the four functions, and this platform's two data items.
const platform::ExportEntry kModuleExports[] = {
    {plugin_abi::kOrdinalInitialize, reinterpret_cast<void*>(&PluginInitialize)},
    {plugin_abi::kOrdinalStart, reinterpret_cast<void*>(&PluginStart)},
    {plugin_abi::kOrdinalExport30009, reinterpret_cast<void*>(&vostra_export_30009)},
    {plugin_abi::kOrdinalExport30010, reinterpret_cast<void*>(&vostra_export_30010)},
    {plugin_abi::kOrdinalMissingFeatures, &MissingFeatures},
    {plugin_abi::kOrdinalVersionInfo, const_cast<plugin_abi::VersionInfo*>(&ModuleVersion)},
};

}  // namespace
}  // namespace plugin

VOSTRA_PLUGIN_EXPORT_DIRECTORY(plugin::kModuleExports);
