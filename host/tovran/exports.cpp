// The export directory of TOVRAN: every host function under its ordinal, the notification
// function (30006) and the data word 22980.
//
// This file is compiled once per build of TOVRAN. The real host uses the defaults; test builds
// of the host set TOVRAN_OMIT (ordinals left out), TOVRAN_HOST_WORD, TOVRAN_INTERFACE_VERSION,
// TOVRAN_REJECT_TEXT, TOVRAN_RESIZED_TABLE / TOVRAN_RESIZED_SIZE, TOVRAN_MISSING_TABLE and
// TOVRAN_MISSING_FEATURES, so that a plug-in meets each kind of host it may refuse.
#include <cstdint>

#include "core/host.h"
#include "format/codepage.h"
#include "frame/host_services.h"
#include "platform.h"

#ifndef TOVRAN_HOST_WORD
#define TOVRAN_HOST_WORD 256
#endif
#ifndef TOVRAN_INTERFACE_VERSION
#define TOVRAN_INTERFACE_VERSION 112
#endif
// The rejection text is given in UTF-8; the host hands it over in Mazovia.
#ifdef TOVRAN_REJECT_TEXT
#define TOVRAN_REJECT TOVRAN_REJECT_TEXT ""_mz
#else
#define TOVRAN_REJECT nullptr
#endif
#ifndef TOVRAN_RESIZED_TABLE
#define TOVRAN_RESIZED_TABLE 0
#define TOVRAN_RESIZED_SIZE 0
#endif
#ifndef TOVRAN_MISSING_TABLE
#define TOVRAN_MISSING_TABLE 0
#endif
#ifndef TOVRAN_MISSING_FEATURES
#define TOVRAN_MISSING_FEATURES 0
#endif
#ifndef TOVRAN_OMIT
#define TOVRAN_OMIT 0
#endif

// The data word that tells a plug-in whether the host is new enough (its ordinary import).
extern "C" __attribute__((visibility("default"))) const std::uint32_t TOVRAN_22980 = TOVRAN_HOST_WORD;

// The notification function (export 30006); defined by the plug-in manager.
extern "C" HostNotifyFn HostNotify;

namespace host {
const TovranVariant kTovranVariant = {TOVRAN_INTERFACE_VERSION, TOVRAN_REJECT,
                                      TOVRAN_RESIZED_TABLE,     TOVRAN_RESIZED_SIZE,
                                      TOVRAN_MISSING_TABLE,     TOVRAN_MISSING_FEATURES};
}

namespace {

constexpr std::uint32_t kOmitted[] = {TOVRAN_OMIT};

constexpr bool Omitted(std::uint32_t ordinal) {
  for (std::uint32_t o : kOmitted)
    if (o == ordinal) return true;
  return false;
}

#define VOSTRA_EXPORT_ENTRY(pos, ord, Name, Ret, Params) \
  {ord, Omitted(ord) ? nullptr : reinterpret_cast<void*>(&Name)},
const platform::ExportEntry kExports[] = {
    VOSTRA_HOST_IMPORTS(VOSTRA_EXPORT_ENTRY)
    {kOrdinalNotify, Omitted(kOrdinalNotify) ? nullptr : reinterpret_cast<void*>(&HostNotify)},
    {kOrdinalHostWord, const_cast<std::uint32_t*>(&TOVRAN_22980)},
};
#undef VOSTRA_EXPORT_ENTRY

}  // namespace

VOSTRA_EXPORT_DIRECTORY(kExports);
