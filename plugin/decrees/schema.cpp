// Decree schemas: the document templates and register names of the four user schemas, kept in
// "WtyczkiG.ini" in the sections DekrSchema_1 to DekrSchema_4.
#include <cstdio>
#include <cstring>

#include "format/codepage.h"
#include "format/fields.h"
#include "frame/settings.h"
#include "run/exporter.h"

namespace plugin {
namespace {

constexpr const char* kSectionPrefix = "DekrSchema_";
constexpr int kOpisMax = 40;
constexpr int kKontoMax = 20;
constexpr int kRejestrMax = 20;
static_assert(sizeof(DekretRow::opis) == kOpisMax + 1);
static_assert(sizeof(DekretRow::konto) == kKontoMax + 1);
static_assert(sizeof(OptionsBlock::rejestr[0]) == kRejestrMax + 1);
static_assert(sizeof(DekrSchema::schemaCaption) == 45);

constexpr const char* kRowRead = "%*s,%d,%*s";
constexpr const char* kRowWrite = "%s,%d,%s";

struct TemplateInfo {
  const char* key;  // template key shown in the caption
};
constexpr TemplateInfo kTemplates[4] = {
    {"faktury.kraj"}, {"faktury.exp."}, {"korekty.kraj"}, {"korekty.exp."}};

// Defaults of the Netto rows: the suffix after "Netto" (row 0 has its own text) and the account.
struct NettoDefault {
  const char* suffix;
  const char* konto;
};
const NettoDefault kNettoDefaults[kNettoRows] = {
    {nullptr, "701-1"},
    {" - cat8%", "701-1-2-10-20-18"},
    {" - gast23%", "701-1-2-10-20-23"},
    {" - gast8%", "701-1-2-10-20-18"},
    {" - muz23%", "701-1-2-10-40-60"},
    {" - najem23%", "701-1-2-80-10"},
    {" - najem23%", "701-1-2-80-10"},
    {" - wpisz nazwę towaru!"_mz, "701-1"},
    {" - wpisz nazwę towaru!"_mz, "701-1"},
    {" - wpisz nazwę towaru!"_mz, "701-1"},
    {" - wpisz nazwę towaru!"_mz, "701-1"},
    {" - wpisz nazwę towaru!"_mz, "701-1"},
};

void SectionName(char* section, int schemaIndex) {
  std::snprintf(section, kTextSize, "%s%d", kSectionPrefix, schemaIndex + 1);
}

void SetRow(DekretRow* row, const char* opis, int strona, const char* konto) {
  row->opis[0] = 0;
  HostStrCopyN(row->opis, opis, kOpisMax);
  row->strona.set(static_cast<std::int16_t>(strona));
  row->konto[0] = 0;
  HostStrCopyN(row->konto, konto, kKontoMax);
}

bool ReadRow(const char* section, const char* key, DekretRow* row) {
  std::int16_t strona = 0;
  const bool ok = IniAccess(kSettingsFile, kIniRead, section, key, kRowRead, kOpisMax, row->opis,
                            &strona, kKontoMax, row->konto) == 0;
  row->opis[kOpisMax] = 0;
  row->konto[kKontoMax] = 0;
  if (ok) row->strona.set(strona);
  return ok;
}

void WriteRow(const char* section, const char* key, const DekretRow& row) {
  // The row may have been edited in place by the decree dialog: write it terminated.
  char opis[kOpisMax + 1], konto[kKontoMax + 1];
  std::memcpy(opis, row.opis, kOpisMax);
  opis[kOpisMax] = 0;
  std::memcpy(konto, row.konto, kKontoMax);
  konto[kKontoMax] = 0;
  IniAccess(kSettingsFile, kIniWrite, section, key, kRowWrite, opis,
            static_cast<int>(row.strona.get()), konto);
}

}  // namespace

void CZantoriaKHTowary::LoadSaveDekrSchema(std::int16_t typeId, int save) {
  if (typeId < kTypeInvoices || typeId > kTypeExportCorrections) return;
  const int docTemplate = typeId - kTypeInvoices + 1;
  const bool correction = typeId >= kTypeCorrections;
  char section[kTextSize], key[kTextSize];
  SectionName(section, optionsBlock.schemaIndex.get());
  DekrSchema& s = dekrSchema;

  if (save == 0) {
    std::memset(&s, 0, sizeof s);
    for (int i = 0; i < kNettoRows; ++i) {
      std::snprintf(key, sizeof key, "Netto_%d_%d", docTemplate, i);
      DekretRow& row = s.netto[i];
      if (ReadRow(section, key, &row)) continue;
      row.strona.set(1);
      row.opis[0] = 0;
      HostStrCopyN(row.opis, "Netto", kOpisMax);
      if (i == 0)
        HostStrCopyN(row.opis, "Netto niewyszczególnione"_mz, kOpisMax);
      else
        HostStrAppendN(row.opis, sizeof row.opis, kNettoDefaults[i].suffix, 0);
      row.konto[0] = 0;
      HostStrCopyN(row.konto, kNettoDefaults[i].konto, kKontoMax);
    }
    std::snprintf(key, sizeof key, "Vat_%d", docTemplate);
    if (!ReadRow(section, key, &s.vat))
      SetRow(&s.vat, "Sprzedaż"_mz, 1, correction ? "222-1-21" : "210-1-20");
    std::snprintf(key, sizeof key, "Brutto_%d", docTemplate);
    if (!ReadRow(section, key, &s.brutto)) SetRow(&s.brutto, "Sprzedaż"_mz, 0, "200-1-K");
    for (int i = 0; i < kNettoRows; ++i) {
      std::snprintf(key, sizeof key, "Towar_%d_%d", docTemplate, i);
      std::int16_t towarKey = 0, towarAttr = 0;
      if (IniAccess(kSettingsFile, kIniRead, section, key, "%d,%d", &towarKey, &towarAttr) != 0)
        towarKey = towarAttr = 0;
      s.towarRef[i].towarKey.set(towarKey);
      s.towarRef[i].towarAttr.set(towarAttr);
    }
  } else {
    for (int i = 0; i < kNettoRows; ++i) {
      std::snprintf(key, sizeof key, "Netto_%d_%d", docTemplate, i);
      WriteRow(section, key, s.netto[i]);
    }
    std::snprintf(key, sizeof key, "Vat_%d", docTemplate);
    WriteRow(section, key, s.vat);
    std::snprintf(key, sizeof key, "Brutto_%d", docTemplate);
    WriteRow(section, key, s.brutto);
    for (int i = 0; i < kNettoRows; ++i) {
      std::snprintf(key, sizeof key, "Towar_%d_%d", docTemplate, i);
      IniAccess(kSettingsFile, kIniWrite, section, key, "%d,%d",
                static_cast<int>(s.towarRef[i].towarKey.get()),
                static_cast<int>(s.towarRef[i].towarAttr.get()));
    }
  }

  char rejestr[kRejestrMax + 1] = {};
  std::memcpy(rejestr, optionsBlock.rejestr[docTemplate - 1], kRejestrMax);
  std::snprintf(s.schemaCaption, sizeof s.schemaCaption, "schemat %d:%s:%s",
                optionsBlock.schemaIndex.get() + 1, kTemplates[docTemplate - 1].key, rejestr);
}

void CZantoriaKHTowary::LoadRejestrNames() {
  char section[kTextSize], key[kTextSize];
  SectionName(section, optionsBlock.schemaIndex.get());
  for (int k = 1; k <= 4; ++k) {
    std::snprintf(key, sizeof key, "Rejestr%d", k);
    char* name = optionsBlock.rejestr[k - 1];
    if (IniAccess(kSettingsFile, kIniRead, section, key, "%*s", kRejestrMax, name) != 0)
      name[0] = 0;
    name[kRejestrMax] = 0;
  }
}

void CZantoriaKHTowary::SaveRejestrNames() {
  char section[kTextSize], key[kTextSize];
  SectionName(section, optionsBlock.schemaIndex.get());
  for (int k = 1; k <= 4; ++k) {
    std::snprintf(key, sizeof key, "Rejestr%d", k);
    char name[kRejestrMax + 1] = {};
    std::memcpy(name, optionsBlock.rejestr[k - 1], kRejestrMax);
    IniAccess(kSettingsFile, kIniWrite, section, key, "%s", name);
  }
}

}  // namespace plugin
