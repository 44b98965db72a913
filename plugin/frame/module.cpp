#include "frame/module.h"

#include <cstring>

namespace plugin {

platform::ModuleHandle ModuleHandle = nullptr;
char ModulePath[300] = {};
const char* ModuleBaseName = ModulePath;
platform::ModuleHandle HostModule = nullptr;
HostNotifyFn* HostNotify = nullptr;

const char* BaseNameOf(const char* path) {
  const char* name = path;
  if (const char* backslash = std::strrchr(name, '\\')) name = backslash + 1;
  if (const char* slash = std::strrchr(name, '/')) name = slash + 1;
  return name;
}

void AttachModule() {
  static const char anchor = 0;  // an address inside this module
  ModuleHandle = platform::ModuleOfAddress(&anchor);
  platform::ModulePathOfAddress(&anchor, ModulePath, sizeof ModulePath);
  ModuleBaseName = BaseNameOf(ModulePath);
  if (!HostModule) {
    HostModule = platform::FindLoadedModule("TOVRAN");
    if (HostModule)
      HostNotify = reinterpret_cast<HostNotifyFn*>(platform::LookupOrdinal(HostModule, kOrdinalNotify));
  }
}

namespace {
__attribute__((constructor(kAttachPriority))) void AttachStep() { AttachModule(); }
}  // namespace

}  // namespace plugin
