// The one way the plug-in reads and writes its settings in "WtyczkiG.ini".
//
// mode 8 reads the key's value into the variables that the further arguments point to ("%d"
// fills an int16; "%*s" takes a greatest length and a buffer); mode 9 stores the further
// arguments formatted by `format`. Returns the host's status: 0 done, anything else not done
// (a failed read leaves the variables as they were).
#pragma once

#include <cstdint>

namespace plugin {

inline constexpr int kIniRead = 8;
inline constexpr int kIniWrite = 9;
inline constexpr const char* kSettingsFile = "WtyczkiG.ini";

std::int16_t IniAccess(const char* file, int mode, const char* section, const char* key,
                       const char* format, ...);

}  // namespace plugin
