#include "frame/settings.h"

#include <cstdarg>

#include "frame/host_imports.h"

namespace plugin {

std::int16_t IniAccess(const char* file, int mode, const char* section, const char* key,
                       const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::int16_t status = HostIniAccess(file, mode, section, key, format, args);
  va_end(args);
  return status;
}

}  // namespace plugin
