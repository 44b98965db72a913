// The exporter: one object per export run, and every operation that writes the export file.
//
// CZantoriaKHTowary derives from the host's WDialogBase; its first word is its table of 35
// virtual operations (the destructor, MainDialogEvent, DecreeDialogEvent and the host's
// operations 3 to 34). OnMenuExport constructs it on its own stack, runs RunExport and destroys
// it. Table objects and record buffers belong to the host; the exporter never frees them and
// never writes a host record. Texts are Mazovia. Single-threaded: everything runs on the host's
// thread. Operations return the statuses of their design: 0 success, 1 failure already shown.
#pragma once

#include <cstddef>
#include <cstdint>

#include "format/host_records.h"
#include "frame/host_services.h"

namespace plugin {

// --- Decree schema ------------------------------------------------------------------------------
// One row of a decree template, 64 bytes; also the data of one row of the decree dialog.
struct DekretRow {
  char opis[41];   //  0  description; for a Netto row also the goods name that selects it
  LeI16 strona;    // 41  0 = WN (debit), 1 = MA (credit)
  char konto[21];  // 43  account; a K in the Brutto or Vat account asks for the contractor code
};
static_assert(offsetof(DekretRow, strona) == 41);
static_assert(offsetof(DekretRow, konto) == 43);
static_assert(sizeof(DekretRow) == 64);

struct TowarRef {
  LeI16 towarKey;
  LeI16 towarAttr;
};
static_assert(sizeof(TowarRef) == 4);

inline constexpr int kNettoRows = 12;

// The loaded template; its first 896 bytes are the data block of dialog 20139.
struct DekrSchema {
  DekretRow brutto;                  //   0
  DekretRow vat;                     //  64
  DekretRow netto[kNettoRows];       // 128
  TowarRef towarRef[kNettoRows];     // 896
  char schemaCaption[45];            // 944
};
static_assert(offsetof(DekrSchema, vat) == 64);
static_assert(offsetof(DekrSchema, netto) == 128);
static_assert(offsetof(DekrSchema, towarRef) == 896);
static_assert(offsetof(DekrSchema, schemaCaption) == 944);
static_assert(sizeof(DekrSchema) == 989);
inline constexpr std::size_t kDecreeDialogDataSize = 896;

// --- Options block: the data block of dialog 20138 ----------------------------------------------
struct OptionsBlock {
  LeI16 tabGeneral;            //   0  set to 0 before every showing
  char dateFrom[9];            //   2  YYYYMMDD
  char dateTo[9];              //  11
  LeU16 scope;                 //  20  bit 0 sales and corrections, bit 1 receipts-table invoices
  LeU16 sending;               //  22  bit 0 pack and mail, bit 1 skip exported
  char fileName[121];          //  24
  LeU16 options;               // 145  bit 0 skip receipt invoices, bit 1 deposits, bit 2 preview
  LeI16 tabDecrees;            // 147  set to -1 before every showing
  LeI16 schemaIndex;           // 149  0..3
  LeU16 docTypeBoxes;          // 151  display only
  char rejestr[4][21];         // 153
  LeI16 contractorCodeMode;    // 237  0..6
};
static_assert(offsetof(OptionsBlock, dateFrom) == 2);
static_assert(offsetof(OptionsBlock, dateTo) == 11);
static_assert(offsetof(OptionsBlock, scope) == 20);
static_assert(offsetof(OptionsBlock, sending) == 22);
static_assert(offsetof(OptionsBlock, fileName) == 24);
static_assert(offsetof(OptionsBlock, options) == 145);
static_assert(offsetof(OptionsBlock, tabDecrees) == 147);
static_assert(offsetof(OptionsBlock, schemaIndex) == 149);
static_assert(offsetof(OptionsBlock, docTypeBoxes) == 151);
static_assert(offsetof(OptionsBlock, rejestr) == 153);
static_assert(offsetof(OptionsBlock, contractorCodeMode) == 237);
static_assert(sizeof(OptionsBlock) == 239);

// --- Per-document area ---------------------------------------------------------------------------
struct DocumentArea {
  char docRegister[256];
  char docRegisterName[256];
  char docName[256];
  char docTypeCode[256];
  char docSeries[256];
  char docKindText[256];
  char docContractorCode[256];
  std::int32_t docContractorId;
  char docPositionDate[256];
  char docNumber[256];
};

// Document-type identifiers: the ids of the four "Konfig" buttons.
inline constexpr int kTypeInvoices = 16642;
inline constexpr int kTypeExportInvoices = 16643;
inline constexpr int kTypeCorrections = 16644;
inline constexpr int kTypeExportCorrections = 16645;

class CZantoriaKHTowary : public WDialogBase {
 public:
  // --- frame and run (run/) ---
  int InitTables();
  int RunExport();
  void LoadOptions();
  void SaveOptions();
  int ShowOptionsDialog();
  int MainDialogEvent(int item, int event);
  int PackFile(const char* sourcePath, char* archivePath);

  // --- decrees (decrees/) ---
  void LoadSaveDekrSchema(std::int16_t typeId, int save);
  void LoadRejestrNames();
  void SaveRejestrNames();
  void WriteDekret(HostFile* file, std::int32_t documentId, std::int32_t contractorId,
                   std::uint16_t calcFlags, double vatAmount, double grossAmount);
  void WriteNettoZapisy(HostFile* file, std::int32_t documentId, std::uint16_t calcFlags);
  char* NrKontrZantoria(std::int32_t contractorId, int mode, char* out);
  int WriteRejestr(HostFile* file, const VatSummary* summary, const HostDate* registerDate,
                   std::int32_t gtuMask);
  int WriteRozliczenie(HostFile* file, const HostDate* dueDate, double grossAmount);
  void WriteJpkTrailer(HostFile* file, std::uint32_t stateFlags, std::int32_t procMarks,
                       std::uint16_t kindFlags, int docType, const char* correctedNumber,
                       const HostDate* correctedDate, double grossAmount);
  int DecreeDialogEvent(int item, int event);

  // --- format (format/) ---
  void WriteInfo(const DDekRecord* firm, HostFile* file);
  int WriteKontrahent(HostFile* file, std::int32_t contractorId);
  void WriteTowar(HostFile* file, const char* name, const char* code, int vatCode, double price,
                  const char* unit, const char* classification, int row);
  void WriteInvoiceDokument(const TsprRecord* record, HostFile* file, int type,
                            const VatSummary* summary);
  void WriteCorrectionDokument(const TsprKorRecord* record, HostFile* file, int type,
                               const VatSummary* summary);
  int WritePositions(HostFile* file, std::int32_t documentId, std::uint16_t calcFlags, int mode);
  void WritePozycja(HostFile* file, const char* name, const char* code, std::int32_t quantity,
                    double price, double value, double vatValue, const char* unit,
                    const char* classification, int row, int warehouse);
  double przel_wal(double storedRate);
  double DajWartoscDokumentuWCenachZakupu(std::int32_t documentId);

  // --- fields, in order ---
  K4Record* recK4;
  HostTable* tabK4;
  K9Record* recK9;
  HostTable* tabK9;
  K11Record* recK11;
  HostTable* tabK11;
  TsprRecord* recTspr;
  HostTable* tabTspr;
  TsprDokRecord* recTsprDok;
  HostTable* tabTsprDok;
  TsprKorRecord* recTsprKor;
  HostTable* tabTsprKor;
  TsprKorDokRecord* recTsprKorDok;
  HostTable* tabTsprKorDok;
  DDekRecord* recDDek;
  HostTable* tabDDek;
  DekrSchema dekrSchema;
  OptionsBlock optionsBlock;
  DocumentArea documentArea;
  std::int16_t nextZapisId;
  std::int32_t docKind;
  std::int32_t kindHandle;
};

// The exporter's table of 35 virtual operations: 0 the destructor, 1 MainDialogEvent,
// 2 DecreeDialogEvent, 3 to 34 jump stubs through the host's import entries. The host's dialog
// engine reads it from the object's first word to deliver events.
inline constexpr int kExporterVirtualOps = 35;
extern void* const kExporterVtable[kExporterVirtualOps];

// Free helpers shared by the writers.
char* FormatHostDate(char* out, std::size_t size, const HostDate* date);
char* FormatStawka(int vatCode, char* out);
void GetStartEndMonthDate(char* from, char* to, int year, int month);

// The command handler that the host calls for "Eksport Zantoria 3.0 (towary)".
int OnMenuExport();

}  // namespace plugin
