// The INFO header: the first block of every export file, with the firm's own contractor record.
#include <cstdio>

#include "format/codepage.h"
#include "format/fields.h"
#include "run/exporter.h"

namespace plugin {
namespace {

// The module's build as the importing system is told it.
constexpr const char* kProgramName = "Vostra Nova";
constexpr const char* kBuildDate = "Mar  5 2024";

constexpr const char* kInfoTemplate =
    "INFO{\n"
    "\t\tNazwa programu =%s\n"
    "\t\tWersja_programu =1.1.0305.3622g\n"
    "\t\tWersja szablonu =%d\n"
    "\t\tdane_z_oddzialu =%d\n"
    "\t\tKontrahent{\n"
    "\t\t\t\tid =%9.9s\n"
    "\t\t\t\tkod =%s\n"
    "\t\t\t\tnazwa =%s\n"
    "\t\t\t\tmiejscowosc =%s\n"
    "\t\t\t\tulica =%s\n"
    "\t\t\t\tdom =%s\n"
    "\t\t\t\tlokal =%s\n"
    "\t\t\t\tkodpocz =%s\n"
    "\t\t\t\trejon =\n"
    "\t\t\t\tnip =%s\n"
    "\t\t\t\ttel1 =\n"
    "\t\t\t\ttel2 =\n"
    "\t\t\t\tfax =\n"
    "\t\t\t\temail =%s\n"
    "\t\t\t\twww =\n"
    "\t}\n"
    "}\n";

}  // namespace

void CZantoriaKHTowary::WriteInfo(const DDekRecord* firm, HostFile* file) {
  char program[kTextSize];
  const std::int32_t packed = HostParseBuildDate(kBuildDate);
  std::snprintf(program, sizeof program, "%s z dn. %d.%02d.%d", kProgramName, packed & 0xFF,
                (packed >> 8) & 0xFF, static_cast<std::int16_t>(packed >> 16));

  char name[kTextSize];
  CopyField(name, firm->name);
  HostNormalizeText(name);
  if (name[0] == 0) {
    CopyField(name, firm->nameAlt);
    HostNormalizeText(name);
  }

  // The identifier without its dashes.
  char idNumber[kTextSize];
  CopyField(idNumber, firm->idNumber);
  char id[kTextSize];
  std::size_t kept = 0;
  for (const char* c = idNumber; *c != 0; ++c)
    if (*c != '-') id[kept++] = *c;
  id[kept] = 0;

  char code[kTextSize], city[kTextSize], street[kTextSize], house[kTextSize], flat[kTextSize],
      postalCode[kTextSize], nip[kTextSize], email[kTextSize];
  CopyField(code, firm->code);
  CopyField(city, firm->city);
  CopyField(street, firm->street);
  CopyField(house, firm->house);
  CopyField(flat, firm->flat);
  CopyField(postalCode, firm->postalCode);
  CopyField(nip, firm->nip);
  CopyField(email, firm->email);
  if (email[0] == 0) CopyField(email, firm->emailAlt);

  const int schema = optionsBlock.schemaIndex.get();
  HostFilePrintf(file, kInfoTemplate, program, schema, schema + 1, kept ? id : "9999",
                 code[0] ? code : "VostraNova", name, city, street, house, flat, postalCode, nip,
                 email);
}

}  // namespace plugin
