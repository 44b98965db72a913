#include "fake_tovran.h"

#include <cstdarg>
#include <cstdio>

#include "frame/host_services.h"
#include "platform.h"

namespace {

FakeCall g_last;

std::string Format(const char* format, va_list args) {
  char text[512];
  std::vsnprintf(text, sizeof text, format, args);
  return text;
}

int MessageBoxF(int id, const char* title, const char* format, int flags, int extra, ...) {
  g_last = FakeCall{};
  g_last.ordinal = 35802;
  g_last.ints[0] = id;
  g_last.ints[1] = flags;
  g_last.ints[2] = extra;
  va_list args;
  va_start(args, extra);
  g_last.text = std::string(title) + "|" + Format(format, args);
  va_end(args);
  return 7;
}

double VatConvert(int kind, int vatCode, double value) {
  g_last = FakeCall{};
  g_last.ordinal = 52289;
  g_last.ints[0] = kind;
  g_last.ints[1] = vatCode;
  g_last.reals[0] = value;
  return value * 1.23;
}

std::int16_t IniAccess(const char* file, int mode, const char* section, const char* key,
                       const char* format, va_list args) {
  g_last = FakeCall{};
  g_last.ordinal = 41399;
  g_last.ints[0] = mode;
  g_last.text = std::string(file) + "|" + section + "|" + key + "|" + Format(format, args);
  return -3;
}

int FilePrintf(HostFile* file, const char* format, ...) {
  g_last = FakeCall{};
  g_last.ordinal = 52541;
  g_last.ints[0] = reinterpret_cast<std::intptr_t>(file);
  va_list args;
  va_start(args, format);
  g_last.text = Format(format, args);
  va_end(args);
  return static_cast<int>(g_last.text.size());
}

std::int32_t RoundToLong(double value, int step) {
  g_last = FakeCall{};
  g_last.ordinal = 52178;
  g_last.ints[0] = step;
  g_last.reals[0] = value;
  return static_cast<std::int32_t>(value) / step * step;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const std::uint32_t TOVRAN_22980 = 256;

extern "C" __attribute__((visibility("default"))) FakeCall* FakeLastCall() { return &g_last; }

namespace {
const platform::ExportEntry kExports[] = {
    {35802, reinterpret_cast<void*>(&MessageBoxF)},
    {52289, reinterpret_cast<void*>(&VatConvert)},
    {41399, reinterpret_cast<void*>(&IniAccess)},
    {52541, reinterpret_cast<void*>(&FilePrintf)},
    {52178, reinterpret_cast<void*>(&RoundToLong)},
    {22980, const_cast<std::uint32_t*>(&TOVRAN_22980)},
};
}  // namespace

VOSTRA_EXPORT_DIRECTORY(kExports);
