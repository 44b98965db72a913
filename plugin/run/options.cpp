// The export options in "WtyczkiG.ini", section "ZantoriaMK", and the default month range.
//
// "Opcje" holds scope, sending, options, contractor-code mode and schema index (in this order,
// not the block's); "Dates" the range; "File" the export file name. A key that cannot be read
// leaves the zeros that loading starts from.
#include <cstring>

#include "frame/host_imports.h"
#include "frame/settings.h"
#include "platform.h"
#include "run/exporter.h"

namespace plugin {
namespace {

constexpr const char* kSection = "ZantoriaMK";
constexpr int kDateChars = 8;
constexpr int kFileNameChars = 120;
static_assert(sizeof(OptionsBlock::dateFrom) == kDateChars + 1);
static_assert(sizeof(OptionsBlock::fileName) == kFileNameChars + 1);

std::int16_t Signed(const LeU16& field) { return static_cast<std::int16_t>(field.get()); }

}  // namespace

void CZantoriaKHTowary::LoadOptions() {
  OptionsBlock& o = optionsBlock;
  std::memset(&o, 0, sizeof o);

  // "%d" fills an int16: read into aligned locals and store them into the block's fields.
  std::int16_t scope = 0, sending = 0, options = 0, codeMode = 0, schema = 0;
  IniAccess(kSettingsFile, kIniRead, kSection, "Opcje", "%d,%d,%d,%d,%d", &scope, &sending,
            &options, &codeMode, &schema);
  o.scope.set(static_cast<std::uint16_t>(scope));
  o.sending.set(static_cast<std::uint16_t>(sending));
  o.options.set(static_cast<std::uint16_t>(options));
  o.contractorCodeMode.set(codeMode);
  o.schemaIndex.set(schema);

  IniAccess(kSettingsFile, kIniRead, kSection, "Dates", "%*s,%*s", kDateChars, o.dateFrom,
            kDateChars, o.dateTo);
  IniAccess(kSettingsFile, kIniRead, kSection, "File", "%*s", kFileNameChars, o.fileName);
  // Whatever the host stored, the texts end inside their fields.
  o.dateFrom[kDateChars] = 0;
  o.dateTo[kDateChars] = 0;
  o.fileName[kFileNameChars] = 0;

  if (o.fileName[0] == 0) {
    char buffer[256] = {};
    HostDefaultPath(buffer, "VOSTRA.TXT");
    buffer[sizeof buffer - 1] = 0;
    HostStrCopyN(o.fileName, buffer, kFileNameChars);
  }

  LoadRejestrNames();
}

void CZantoriaKHTowary::SaveOptions() {
  const OptionsBlock& o = optionsBlock;
  IniAccess(kSettingsFile, kIniWrite, kSection, "Opcje", "%d,%d,%d,%d,%d",
            static_cast<int>(Signed(o.scope)), static_cast<int>(Signed(o.sending)),
            static_cast<int>(Signed(o.options)), static_cast<int>(o.contractorCodeMode.get()),
            static_cast<int>(o.schemaIndex.get()));
  IniAccess(kSettingsFile, kIniWrite, kSection, "Dates", "%s,%s", o.dateFrom, o.dateTo);
  IniAccess(kSettingsFile, kIniWrite, kSection, "File", "%s", o.fileName);
  SaveRejestrNames();
}

void GetStartEndMonthDate(char* from, char* to, int year, int month) {
  static constexpr const char* kName = "CZantoriaKHTowary::GetStartEndMonthDate";
  ScopeTrace scope;
  HostScopeEnter(&scope, kName, &from);
  // The scope is left on every way out, also when the exception is raised again.
  struct Leave {
    ScopeTrace* scope;
    ~Leave() { HostScopeLeave(scope); }
  } leave{&scope};

  try {
    HostDateCompose(from, year, month, 1, 0);
    if (month == 12)
      HostDateCompose(to, year + 1, 1, 1, 0);
    else
      HostDateCompose(to, year, month + 1, 1, 0);
    HostDateAddDays(to, -1);
  } catch (const platform::SE_Exception& e) {
    ExceptionReportFn** reporter = HostGetExceptionReporter();
    if (reporter && *reporter) (*reporter)(kName, e.code(), e.info(), &from);
    platform::RaiseException(e.code(), 0, 0, nullptr);
  }
}

}  // namespace plugin
