// The export command: OnMenuExport brackets one run of one exporter object, RunExport walks the
// chosen document kinds into the export file and finishes, delivers and marks it.
//
// Host objects of a run (marking object, cursor, output file) are released on every way out,
// also when a structured exception from the host leaves the run. A file whose writing, closing
// or conversion failed is removed and nothing is marked, so that a later run exports the same
// documents again.
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "format/codepage.h"
#include "frame/host_imports.h"
#include "run/exporter.h"
#include "run/run_steps.h"

namespace plugin {
namespace {

constexpr std::uint16_t kRunStateFlag = 0x8000;
constexpr int kTableMode = 255;
constexpr int kDialogCancelled = 0x5002;

// options block bits
constexpr std::uint16_t kScopeSales = 0x0001;      // sales and correction kinds
constexpr std::uint16_t kScopeReceipts = 0x0002;   // invoices of the receipts table (kind 24)
constexpr std::uint16_t kSendingPackMail = 0x0001;
constexpr std::uint16_t kSendingSkipExported = 0x0002;
constexpr std::uint16_t kOptionsSkipReceiptInvoices = 0x0001;
constexpr std::uint16_t kOptionsPreview = 0x0004;

constexpr std::uint8_t kExportedMark = 0x04;  // bit 2 of exportFlags

// One pass of the walk: a document kind of the sales or the correction table.
struct KindPass {
  int position;          // handed to the document writer
  int kindCode;          // host kind code
  std::uint16_t scopeBit;
  std::int16_t docType;  // decree template of the pass
};

constexpr KindPass kSalesPasses[] = {
    {0, 811, kScopeSales, kTypeInvoices},
    {1, 24, kScopeReceipts, kTypeInvoices},
    {2, 807, kScopeSales, kTypeExportInvoices},
    {3, 1836, kScopeSales, kTypeInvoices},
};
constexpr KindPass kCorrectionPasses[] = {
    {0, 103, kScopeSales, kTypeCorrections},
    {1, 809, kScopeSales, kTypeExportCorrections},
    {2, 1838, kScopeSales, kTypeCorrections},
};

// A document issued for receipts: one of the receipt bits without the 0x0100 bit.
bool IssuedForReceipts(std::uint16_t kindFlags) {
  return (kindFlags & 0x0C00) != 0 && (kindFlags & 0x0100) == 0;
}

// The tests that sales and correction records share, after their own: the date range
// (both ends inclusive) and the skipping of exported documents.
bool InRangeAndWanted(const OptionsBlock& o, const HostDate& issueDate,
                      std::uint8_t exportFlags) {
  char issued[sizeof(HostDate) + 1];
  issueDate.copyTo(issued, sizeof issued);
  if (HostDateCompare(o.dateFrom, issued) > 0) return false;
  if (HostDateCompare(o.dateTo, issued) < 0) return false;
  if ((o.sending.get() & kSendingSkipExported) && (exportFlags & kExportedMark)) return false;
  return true;
}

bool AcceptSales(const OptionsBlock& o, const TsprRecord& r, int position) {
  if (r.documentId.get() == 0) return false;
  if ((position == 0 || position == 2) && (o.options.get() & kOptionsSkipReceiptInvoices) &&
      IssuedForReceipts(r.kindFlags.get()))
    return false;
  if (position == 1 && (r.contractorId.get() == 0 || r.receiptLink.get() == 1)) return false;
  return InRangeAndWanted(o, r.issueDate, r.exportFlags);
}

bool AcceptCorrection(const OptionsBlock& o, const TsprKorRecord& r) {
  if (r.documentId.get() == 0) return false;
  if ((o.options.get() & kOptionsSkipReceiptInvoices) && IssuedForReceipts(r.kindFlags.get()))
    return false;
  return InRangeAndWanted(o, r.issueDate, r.exportFlags);
}

bool Unattended() {
  const std::int32_t* flag = HostGetUnattendedFlag();
  return flag && *flag != 0;
}

// What one run holds of the host. The destructor releases it on every way out; a file still
// open there was left by an exception and is incomplete, so it is removed.
class RunState {
 public:
  RunState() {
    HostMarkerInit(&marker);
    cursor.openWord = 0;
  }
  ~RunState() {
    if (cursorOpen) HostCursorClose(&cursor);
    if (file) {
      HostFileClose(file);
      RemoveHostFile(path);
    }
    HostMarkerDestroy(&marker);
    HostCursorFree(&cursor);
  }
  RunState(const RunState&) = delete;
  RunState& operator=(const RunState&) = delete;

  HostMarker marker{};
  HostCursor cursor{};
  bool cursorOpen = false;
  HostFile* file = nullptr;
  char path[kPathSize] = {};
  std::int32_t salesCount = 0;
  std::int32_t correctionCount = 0;
};

enum class WalkEnd { kDone, kBreak };

// Walks the documents of one kind; writes every accepted one. kBreak when the user broke off.
WalkEnd WalkKind(CZantoriaKHTowary& x, RunState& run, const KindPass& pass, bool corrections) {
  x.docKind = pass.kindCode;
  x.kindHandle = HostGetPositionsKind(x.docKind);
  x.LoadSaveDekrSchema(pass.docType, 0);

  char key[kPathSize] = {};
  HostBuildKindKey(x.docKind, key, "MMM", ".UNR", 117);
  HostTable* table = corrections ? x.tabTsprKor : x.tabTspr;
  if (HostCursorOpen(&run.cursor, table, x.docKind, key, 0, 0) == 0) {
    HostCursorClose(&run.cursor);
    return WalkEnd::kDone;
  }
  run.cursorOpen = true;

  WalkEnd end = WalkEnd::kDone;
  for (;;) {
    if (HostCheckBreak() != 0) {
      end = WalkEnd::kBreak;
      break;
    }
    if (HostCursorNext(&run.cursor) != 1) break;

    const OptionsBlock& o = x.optionsBlock;
    std::int32_t documentId;
    std::int32_t contractorId;
    std::uint16_t calcFlags;
    if (corrections) {
      if (!AcceptCorrection(o, *x.recTsprKor)) continue;
      documentId = x.recTsprKor->documentId.get();
      contractorId = x.recTsprKor->contractorId.get();
      calcFlags = x.recTsprKor->calcFlags.get();
    } else {
      if (!AcceptSales(o, *x.recTspr, pass.position)) continue;
      documentId = x.recTspr->documentId.get();
      contractorId = x.recTspr->contractorId.get();
      calcFlags = x.recTspr->calcFlags.get();
    }

    x.WriteKontrahent(run.file, contractorId);
    x.DajWartoscDokumentuWCenachZakupu(documentId);  // asked for, not used by the file
    VatSummary summary{};
    VatSummary second{};
    HostGetVatSummary(x.docKind, &summary, &second, 0);
    x.WritePositions(run.file, documentId, calcFlags, 1);
    HostMarkerAdd(&run.marker, x.docKind, documentId);
    if (corrections) {
      x.WriteCorrectionDokument(x.recTsprKor, run.file, pass.position, &summary);
      ++run.correctionCount;
    } else {
      x.WriteInvoiceDokument(x.recTspr, run.file, pass.position, &summary);
      ++run.salesCount;
    }
  }
  HostCursorClose(&run.cursor);
  run.cursorOpen = false;
  return end;
}

// Closes the output file and converts it in place to Windows-1250. On a failure the user is
// told, the incomplete file is removed and the result is false.
bool FinishFile(CZantoriaKHTowary& x, RunState& run) {
  HostFile* file = run.file;
  run.file = nullptr;
  bool complete = HostFileClose(file) == 0;

  HostStrCopyN(run.path, x.optionsBlock.fileName, kPathChars);
  HostExpandPath(run.path, kPathChars + 1);
  if (complete) complete = HostRecodeFile(run.path, run.path, kCodePageMazovia,
                                          kCodePageWindows1250) == 0;
  if (!complete) {
    ShowMessageF("Uwaga", "Błąd zapisu pliku: %s\nOperacja niekompletna!"_mz, 1, run.path);
    RemoveHostFile(run.path);
  }
  return complete;
}

// Packing, mail, marking, preview and summary of a finished file. A mail that was not sent
// ends it early: nothing is marked then and no summary is shown.
void DeliverAndMark(CZantoriaKHTowary& x, RunState& run) {
  const std::uint16_t sending = x.optionsBlock.sending.get();
  const bool preview = (x.optionsBlock.options.get() & kOptionsPreview) != 0;

  // With a preview to come, the text file that the archive replaces is deleted after it.
  bool removeTextLater = false;
  if (sending & kSendingPackMail) {
    char archive[kPathSize] = {};
    if (PackFileTo(x, run.path, archive, !preview) != 0) {
      HostShowError("Nieudane pakowanie eksportowanego pliku."_mz);
    } else {
      removeTextLater = preview;
      if (!MailArchive(archive)) {
        if (removeTextLater) RemoveHostFile(run.path);
        return;
      }
    }
  }

  // The host answers a negative number when it could not store the marks; a later run would
  // export these documents again, so the user is told.
  if (HostMarkerCommit(&run.marker) < 0)
    ShowMessageF("Uwaga",
                 "Błąd zaznaczania wyeksportowanych dokumentów!\nOperacja niekompletna!"_mz, 1);
  if (preview) PreviewFile(run.path);
  if (removeTextLater) RemoveHostFile(run.path);
  ShowMessageF("Uwaga", "\x01tp40Ilość dok. sprzedaży:\t%d\nIlość korekt sprzed:\t%d\n"_mz, 1,
               run.salesCount, run.correctionCount);
}

}  // namespace

int ShowMessageF(const char* title, const char* format, int flags, ...) {
  va_list args;
  va_start(args, flags);
  int result = HostMessageBoxV(0, title, format, flags, args);
  va_end(args);
  return result;
}

void FileHolderOpen(HostFileHolder* holder, const char* path, const char* mode) {
  HostFile* file = HostFileOpen(path, mode, 0x40, 0, -1, 0, 0, 0, 0);
  HostFileHolderInit(holder, file);
}

int CZantoriaKHTowary::InitTables() {
  struct Binding {
    int number;
    HostTable** table;
  };
  const Binding bindings[] = {
      {kTableK4, &tabK4},         {kTableK9, &tabK9},           {kTableK11, &tabK11},
      {kTableTspr, &tabTspr},     {kTableTsprDok, &tabTsprDok}, {kTableTsprKor, &tabTsprKor},
      {kTableTsprKorDok, &tabTsprKorDok}, {kTableDDek, &tabDDek},
  };
  for (const Binding& b : bindings) *b.table = HostGetTable(b.number);
  for (const Binding& b : bindings) {
    // A table without its record buffer is as unusable as a missing one (defensive).
    if (!*b.table || !(*b.table)->record) {
      HostMessageBox("Błąd"_mz,
                     "Błąd operacji dyskowej podczas inicjacji CZantoriaKHTowary!\n"
                     "Operacja niekompletna!"_mz,
                     1);
      return 1;
    }
  }
  for (const Binding& b : bindings) HostTableSetMode(*b.table, kTableMode);

  recK4 = static_cast<K4Record*>(tabK4->record);
  recK9 = static_cast<K9Record*>(tabK9->record);
  recK11 = static_cast<K11Record*>(tabK11->record);
  recTspr = static_cast<TsprRecord*>(tabTspr->record);
  recTsprDok = static_cast<TsprDokRecord*>(tabTsprDok->record);
  recTsprKor = static_cast<TsprKorRecord*>(tabTsprKor->record);
  recTsprKorDok = static_cast<TsprKorDokRecord*>(tabTsprKorDok->record);
  recDDek = static_cast<DDekRecord*>(tabDDek->record);
  docKind = 0;
  kindHandle = 0;
  return 0;
}

int CZantoriaKHTowary::RunExport() {
  RunState run;
  if (InitTables() != 0) return 0;
  LoadOptions();
  OptionsBlock& o = optionsBlock;

  // No start date: the current calendar month.
  if (o.dateFrom[0] == 0) {
    char today[16] = {};
    HostGetToday(o.dateTo);
    HostFormatDate(today, o.dateTo);
    int month = std::atoi(today + 3);
    int year = std::atoi(today + 6);
    GetStartEndMonthDate(o.dateFrom, o.dateTo, year, month);
  }

  if (Unattended()) {
    HostGetToday(o.dateTo);
    HostDeriveDate(o.dateTo, o.dateFrom, 0);
  } else if (ShowOptionsDialog() == kDialogCancelled) {
    return 0;
  }

  HostStrCopyN(run.path, o.fileName, kPathChars);
  HostExpandPath(run.path, kPathChars + 1);
  HostPreparePath(run.path);

  HostFileHolder holder{};
  FileHolderOpen(&holder, run.path, "wt");
  run.file = HostFileHolderRelease(&holder);
  HostFileHolderDestroy(&holder);
  if (!run.file) {
    ShowMessageF("Uwaga", "Nie można otworzyć pliku: %s\n"_mz, 1, run.path);
    return 0;
  }

  WriteInfo(recDDek, run.file);

  WalkEnd end = WalkEnd::kDone;
  const std::uint16_t scope = o.scope.get();
  for (const KindPass& pass : kSalesPasses) {
    if (end == WalkEnd::kDone && (scope & pass.scopeBit)) end = WalkKind(*this, run, pass, false);
  }
  for (const KindPass& pass : kCorrectionPasses) {
    if (end == WalkEnd::kDone && (scope & pass.scopeBit)) end = WalkKind(*this, run, pass, true);
  }

  // A break keeps what was written so far, finished like a complete file but not delivered.
  if (FinishFile(*this, run) && end == WalkEnd::kDone) DeliverAndMark(*this, run);

  if (!Unattended()) SaveOptions();
  return 0;
}

int OnMenuExport() {
  const bool setFlag = (HostGetStateFlags() & kRunStateFlag) == 0;

  CZantoriaKHTowary exporter{};
  HostDialogBaseConstruct(&exporter);
  exporter.vtable = kExporterVtable;

  // Clears the state bit and destroys the object on the normal way out and when an exception
  // leaves the run alike.
  struct Frame {
    CZantoriaKHTowary& exporter;
    bool clearFlag;
    ~Frame() {
      if (clearFlag) HostSetStateFlags(kRunStateFlag, 0);
      exporter.vtable = kExporterVtable;
      HostDialogBaseDestroy(&exporter);
    }
  } frame{exporter, setFlag};

  if (setFlag) HostSetStateFlags(kRunStateFlag, 1);
  exporter.RunExport();
  return 0;
}

}  // namespace plugin
