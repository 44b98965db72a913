#include "frame/load_checks.h"

#include <cstdio>
#include <cstring>

#include "format/codepage.h"
#include "format/host_records.h"
#include "frame/host_imports.h"
#include "frame/module.h"
#include "platform.h"

namespace plugin {

extern "C" {
__attribute__((visibility("hidden"))) std::uint32_t MissingFeatures = 0xFFFFFFFFu;
}

const int kRecordSizeTableNumbers[kCheckedTables] = {kTableTspr, kTableTsprDok, kTableTsprKor,
                                                     kTableTsprKorDok, kTableK4, kTableK11,
                                                     kTableK9, kTableDDek};

RecordSizeEntry RecordSizes[kCheckedTables] = {
    {1469, 0, "Tspr", nullptr},     {515, 0, "Tspr_dok", nullptr}, {949, 0, "Tspr_kor", nullptr},
    {256, 0, "Tspr_kor_dok", nullptr}, {1536, 0, "k4", nullptr},   {435, 0, "k11", nullptr},
    {1024, 0, "k9", nullptr},       {2750, 0, "d_dek", nullptr},
};

RecordSizeEntry* RecordSizeMismatches = nullptr;

namespace {

constexpr int kMessageId = 15000;
constexpr int kMessageFlags = 0xF001;
constexpr int kMessageExtra = 0x6E2E;
constexpr const char* kStopTitle = "STOP!!!";

bool OnMismatchList(const RecordSizeEntry* entry) {
  for (const RecordSizeEntry* e = RecordSizeMismatches; e; e = e->Next)
    if (e == entry) return true;
  return false;
}

void AppendToMismatchList(RecordSizeEntry* entry) {
  RecordSizeEntry** link = &RecordSizeMismatches;
  while (*link) link = &(*link)->Next;
  entry->Next = nullptr;
  *link = entry;
}

// Formats one piece (at most 1024 characters, as the platform's short formatter) and appends
// it where the text ends, never beyond kReportSize bytes.
__attribute__((format(printf, 2, 3))) void AppendPiece(char* text, const char* format, ...) {
  char piece[1025];
  va_list args;
  va_start(args, format);
  platform::FormatShortV(piece, format, args);
  va_end(args);
  std::size_t used = std::strlen(text);
  if (used + 1 >= static_cast<std::size_t>(kReportSize)) return;
  std::snprintf(text + used, kReportSize - used, "%s", piece);
}

// A text shown with "%s" as its format, so that it is never taken as one. The message entry
// of a host that lacks it stays empty; then there is nobody to show the text to.
void ShowStop(const char* text) {
  if (!HostImportTable[kPos_HostMessageBoxF - 1]) return;
  HostMessageBoxF(kMessageId, kStopTitle, "%s", kMessageFlags, kMessageExtra, text);
}

}  // namespace

std::uint32_t CheckRecordSizes() {
  for (int i = 0; i < kCheckedTables; ++i) {
    RecordSizeEntry& entry = RecordSizes[i];
    const HostTable* table = HostGetTable(kRecordSizeTableNumbers[i]);
    std::int32_t hostSize = table ? static_cast<std::int32_t>(table->recordSize) : 0;
    entry.HostSize = hostSize;
    if (hostSize != static_cast<std::int32_t>(entry.ExpectedSize) && !OnMismatchList(&entry))
      AppendToMismatchList(&entry);
  }
  std::uint32_t count = 0;
  for (const RecordSizeEntry* e = RecordSizeMismatches; e; e = e->Next) ++count;
  return count;
}

int CheckHostCompatibility() {
  if (HostCheckModule(ModuleHandle, nullptr, 0) != 0) return -1;
  if (HostGetInterfaceVersion() != RequiredInterfaceVersion) return -1;
  if (CheckRecordSizes() != 0) return -1;
  return 0;
}

int FormatRecordSizeReport(char* text) {
  text[0] = 0;
  if (!RecordSizeMismatches) return 0;
  AppendPiece(text,
              "Rozmiary rekordów niektórych tabel nie zgadzają się\nmiędzy programem a wtyczką "
              "'%s' (moduł '%s'):\n\n\x01tl18l33\x01TABELA\tWE WTYCZCE\tW PROGRAMIE\n"_mz,
              kDisplayName, ModuleBaseName);
  for (const RecordSizeEntry* e = RecordSizeMismatches; e; e = e->Next) {
    char hostSize[16];
    if (e->HostSize == 0)
      std::snprintf(hostSize, sizeof hostSize, "brak");
    else
      std::snprintf(hostSize, sizeof hostSize, "%d", static_cast<int>(e->HostSize));
    AppendPiece(text, "\x01tp25p40\x01%s\t%d\t%s\n", e->TableName,
                static_cast<int>(e->ExpectedSize), hostSize);
  }
  AppendPiece(text, "\nModuł \x02%s\x01\nNIE zostanie załadowany!"_mz, ModuleBaseName);
  return -1;
}

void ShowLoadReport() {
  char text[kReportSize];
  text[0] = 0;

  if (HostNotify) HostNotify(1, -1);

  if (MissingFeatures != 0) {
    platform::FormatShort(text,
                          "Program nie obsługuje cech 0x%08X,\nktóre są niezbędne dla modułu "
                          "'%s'."_mz,
                          MissingFeatures, kDisplayName);
    ShowStop(text);
    return;
  }
  if (FormatMissingImports(text) != 0) {
    ShowStop(text);
    return;
  }
  if (FormatRecordSizeReport(text) != 0) {
    ShowStop(text);
    return;
  }
  text[0] = 0;
  if (HostCheckModule(ModuleHandle, text, kReportSize) != 0) {
    text[kReportSize - 1] = 0;  // whatever the host wrote, the text ends inside the buffer
    ShowStop(text);
    return;
  }
  if (CheckHostCompatibility() != 0) {
    HostMessageBoxF(kMessageId, kStopTitle,
                    "Moduł \"%s\" i program występują w różnych wersjach!\n\nZostał "
                    "zakualizowany tylko program albo tylko moduł,\na nie oba jednocześnie! Aby "
                    "naprawić tę sytuację\nzainstaluj aktualizację programu wraz z modułem "
                    "\"%s\".\n\nMODUŁ NIE ZOSTANIE ZAŁADOWANY!!!\n"_mz,
                    kMessageFlags, kMessageExtra, ModuleBaseName, ModuleBaseName);
    return;
  }
  HostMessageBoxF(kMessageId, kStopTitle,
                  "Moduł \"%s\" nie został poprawnie zainicjowany,\nwięc NIE BĘDZIE AKTYWNY!"_mz,
                  kMessageFlags, kMessageExtra, ModuleBaseName);
}

}  // namespace plugin
