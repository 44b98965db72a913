// The thirteen ordinals that a plug-in binds but never calls. A call of one is a fault of the
// caller: it raises a structured exception that names the ordinal.
#include <cstdio>

#include "frame/host_services.h"
#include "platform.h"

namespace {
// Code of the exception raised for a call of a function that must not be called.
constexpr std::uint32_t kNotCallableCode = 0xE0000000u;

[[noreturn]] void NotCallable(unsigned ordinal) {
  static char text[64];
  std::snprintf(text, sizeof text, "TOVRAN ordinal %u is not callable", ordinal);
  throw platform::SE_Exception(kNotCallableCode | ordinal, text);
}
}  // namespace

#define VOSTRA_BOUND_ONLY(ord) \
  extern "C" void HostBoundOnly_##ord() { NotCallable(ord); }
VOSTRA_BOUND_ONLY(40008)
VOSTRA_BOUND_ONLY(41611)
VOSTRA_BOUND_ONLY(41613)
VOSTRA_BOUND_ONLY(30005)
VOSTRA_BOUND_ONLY(40101)
VOSTRA_BOUND_ONLY(38511)
VOSTRA_BOUND_ONLY(52268)
VOSTRA_BOUND_ONLY(32108)
VOSTRA_BOUND_ONLY(52512)
VOSTRA_BOUND_ONLY(52312)
VOSTRA_BOUND_ONLY(52267)
VOSTRA_BOUND_ONLY(30520)
VOSTRA_BOUND_ONLY(31308)
