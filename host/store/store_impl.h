// Internals of the store shared by its source files: the field lists that tie the JSON names,
// the SQLite columns and the record offsets together, the database handle with its statement
// pool, the table objects, and the writer that replaces the contents in one transaction.
//
// Every record is described once, here: import, dump and materialisation all walk the same
// list, so a field cannot be imported under one name and materialised at another offset.
#pragma once

#include <sqlite3.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "store/store.h"

namespace host::store {

enum class FieldKind : std::uint8_t {
  kText,      // UTF-8 in the database, Mazovia in the record; `width` is the field's width
  kInt,       // little-endian integer of `width` bytes (1, 2 or 4)
  kMoney,     // double in the record holding ten-thousandths; an integer in the database
  kQuantity,  // int32 in the record holding thousandths
  kDate,      // HostDate: "YYYYMMDD" or "" in the database, "YYYY-MM-DD" or "" in JSON
  kMarks,     // int16 procedure markings; JSON may give a list of names
  kGtu,       // int32 GTU bits; JSON may give a list of names
};

struct FieldDef {
  std::string_view name;  // JSON name and SQLite column
  FieldKind kind;
  std::uint16_t offset;   // in the record
  std::uint16_t width;    // text: field width in bytes; int: size in bytes
  bool isSigned;          // kInt only
  bool inRecord = true;   // false: a key of the database only (goods key, document kind)
};

struct RecordDef {
  std::string_view table;  // SQLite table
  int tableNumber;         // host table whose layout the fields follow
  std::span<const FieldDef> fields;
};

extern const RecordDef kFirmDef;
extern const RecordDef kContractorDef;
extern const RecordDef kGoodsDef;
extern const RecordDef kInvoiceDef;
extern const RecordDef kInvoicePositionDef;
extern const RecordDef kCorrectionDef;
extern const RecordDef kCorrectionPositionDef;

// Index of a field in its record's list; -1 when absent.
int FieldIndex(const RecordDef& def, std::string_view name);

// One value of a row: integers (money and quantities scaled) in `n`, texts and dates in `s`.
struct Value {
  std::int64_t n = 0;
  std::string s;
};
using Row = std::vector<Value>;  // in the order of the record's field list

// Names of the procedure-marking bits (0..13) and of the GTU bits (0..31).
std::string_view ProcedureMarkName(int bit);
std::string GtuName(int bit);

// Document kinds: the header table (44 or 46) of a kind, 0 for none; positions kind of a kind.
int DocumentTableOfKind(int kind);
int PositionsKindOf(int kind);
// The header table whose positions a positions kind lists, 0 for none; the document kind.
int DocumentKindOfPositions(int positionsKind);

// Checks a UTF-8 text for a record field of `width` bytes: every character must exist in
// Mazovia, no control character, and the Mazovia form must fit. Empty result = fine; else the
// reason in Polish.
std::string CheckText(std::string_view utf8, std::size_t width);

// A table object as the plug-in sees it (HostTable first) with the host's state behind it.
struct TableObject {
  HostTable head;
  int mode = 0;
  std::vector<unsigned char> buffer;
  std::size_t realSize = 0;
  // The document last loaded into a header table (for the VAT summary).
  std::int64_t currentRow = 0;
  int currentKind = 0;
  unsigned currentCalcFlags = 0;
  bool currentHasSummary = false;
  // A positions table holds a row loaded by a positions cursor.
  bool rowLoaded = false;
};

struct CursorState;

// A prepared statement borrowed from the pool; reset and returned when it goes.
class PooledStatement {
 public:
  PooledStatement() = default;
  PooledStatement(Store::Impl* owner, std::string key, sqlite3_stmt* stmt)
      : owner_(owner), key_(std::move(key)), stmt_(stmt) {}
  PooledStatement(PooledStatement&& other) noexcept { *this = std::move(other); }
  PooledStatement& operator=(PooledStatement&& other) noexcept;
  ~PooledStatement() { Release(); }
  sqlite3_stmt* get() const { return stmt_; }
  explicit operator bool() const { return stmt_ != nullptr; }
  void Release();

 private:
  Store::Impl* owner_ = nullptr;
  std::string key_;
  sqlite3_stmt* stmt_ = nullptr;
};

struct Store::Impl {
  explicit Impl(Host& h);
  ~Impl();

  Host& host;
  sqlite3* db = nullptr;
  std::string openError;

  std::array<std::unique_ptr<TableObject>, 8> tables;
  std::int32_t contractorKey = 0;
  char fieldText[256] = {};

  // Cache of the VAT rates (percent ×10^4; no value for codes without a percentage).
  bool ratesLoaded = false;
  std::unordered_map<int, std::optional<std::int64_t>> rates;

  std::unordered_map<std::string, std::vector<sqlite3_stmt*>> pool;
  std::unordered_set<CursorState*> cursors;
  std::uint64_t cursorSerial = 0;

  // Opens the database on first use (creating folder, file and schema). Null with a reason.
  sqlite3* Db(std::string* error);
  // A prepared statement of `sql` from the pool, reset with no bindings; empty on failure.
  PooledStatement Statement(const std::string& sql, std::string* error);
  void ReturnStatement(const std::string& key, sqlite3_stmt* stmt);

  TableObject* TableByNumber(int number);
  TableObject* TableFromObject(const HostTable* table);

  // Copies the columns of `stmt` from `firstColumn` on into `record` by the field list;
  // false when a stored text cannot be converted.
  bool Materialise(const RecordDef& def, sqlite3_stmt* stmt, int firstColumn,
                   unsigned char* record);
  // "col1", "col2", ... of a field list, each prefixed by `prefix`.
  static std::string Columns(const RecordDef& def, std::string_view prefix);

  bool LoadFirm();
  bool LoadRates();
  void ForgetCaches();
  // Contents changed under open cursors (import, sample): they end.
  void DropCursors();

  // Fills `summary` (272 bytes) for the current document of a header table.
  bool VatSummaryOf(TableObject& table, VatSummary& summary);

  std::string DefaultDbPath() const;
};

// Replaces the whole contents of the database in one transaction. Rows come in the order of
// the exchange document; nothing is visible until Commit; the destructor rolls back otherwise.
class Writer {
 public:
  explicit Writer(Store::Impl& impl);
  ~Writer();
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

  void Firm(const Row& row);
  void VatRate(int code, std::optional<std::int64_t> percent);
  void PaymentForm(int code, const std::string& text);
  void Contractor(const Row& row);
  void Goods(const Row& row);
  // Returns the document's internal row number, for its positions and summary.
  std::int64_t Document(bool correction, const Row& row, bool hasSummary);
  void Position(bool correction, std::int64_t doc, int seq, const Row& row);
  void SummarySlot(bool correction, std::int64_t doc, int slot, int code, std::int64_t net,
                   std::int64_t vat, std::int64_t gross);
  bool Commit(std::string* error);

 private:
  void InsertRow(sqlite3_stmt* stmt, int firstParam, const RecordDef& def, const Row& row);
  void Step(sqlite3_stmt* stmt);
  sqlite3_stmt* Prepare(const std::string& sql);
  void Fail(const std::string& what);

  Store::Impl& impl_;
  sqlite3* db_ = nullptr;
  bool open_ = false;
  std::string error_;
  std::int64_t nextDoc_[2] = {1, 1};
  sqlite3_stmt* firm_ = nullptr;
  sqlite3_stmt* rate_ = nullptr;
  sqlite3_stmt* form_ = nullptr;
  sqlite3_stmt* contractor_ = nullptr;
  sqlite3_stmt* goods_ = nullptr;
  sqlite3_stmt* document_[2] = {};
  sqlite3_stmt* position_[2] = {};
  sqlite3_stmt* summary_[2] = {};
};

// Default VAT rates and payment forms of a new database.
struct DefaultRate {
  int code;
  int percent;  // -1: no percentage
};
inline constexpr DefaultRate kDefaultRates[] = {{1, 23}, {2, 8}, {3, 5}, {4, 0},
                                               {5, -1}, {8, -1}, {9, -1}};
struct DefaultForm {
  int code;
  const char* text;  // UTF-8
};
inline constexpr DefaultForm kDefaultForms[] = {
    {0, "gotówka"}, {1, "przelew"}, {2, "karta"}, {3, "kredyt kupiecki"}};

// Ten-thousandths of a currency unit in one unit; thousandths of a quantity in one unit.
inline constexpr std::int64_t kMoneyScale = 10000;
inline constexpr std::int64_t kQuantityScale = 1000;

}  // namespace host::store
