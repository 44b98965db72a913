// The database handle, its schema, the statement pool, the table objects and the writer.
#include "store/store.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "core/encoding.h"
#include "store/store_impl.h"

namespace host::store {

namespace {

constexpr int kSchemaVersion = 1;

struct TableSpec {
  int number;
  std::size_t size;
};
constexpr TableSpec kTableSpecs[8] = {
    {kTableK4, sizeof(K4Record)},         {kTableTspr, sizeof(TsprRecord)},
    {kTableTsprDok, sizeof(TsprDokRecord)}, {kTableTsprKor, sizeof(TsprKorRecord)},
    {kTableTsprKorDok, sizeof(TsprKorDokRecord)}, {kTableK9, sizeof(K9Record)},
    {kTableK11, sizeof(K11Record)},       {kTableDDek, sizeof(DDekRecord)},
};
static_assert(sizeof(K4Record) == 1536 && sizeof(TsprRecord) == 1469 &&
              sizeof(TsprDokRecord) == 515 && sizeof(TsprKorRecord) == 949 &&
              sizeof(TsprKorDokRecord) == 256 && sizeof(K9Record) == 1024 &&
              sizeof(K11Record) == 435 && sizeof(DDekRecord) == 2750);

std::string ColumnType(const FieldDef& f) {
  switch (f.kind) {
    case FieldKind::kText:
    case FieldKind::kDate:
      return "TEXT NOT NULL DEFAULT ''";
    default:
      return "INTEGER NOT NULL DEFAULT 0";
  }
}

std::string ColumnList(const RecordDef& def) {
  std::string out;
  for (const FieldDef& f : def.fields) {
    out += ", \"";
    out += f.name;
    out += "\" " + ColumnType(f);
  }
  return out;
}

std::string SchemaSql() {
  std::string s;
  s += "CREATE TABLE firm(row INTEGER PRIMARY KEY CHECK(row = 1)" + ColumnList(kFirmDef) + ");";
  s += "CREATE TABLE vat_rate(code INTEGER PRIMARY KEY, percent INTEGER);";
  s += "CREATE TABLE payment_form(code INTEGER PRIMARY KEY, text TEXT NOT NULL);";
  s += "CREATE TABLE contractor(row INTEGER PRIMARY KEY" + ColumnList(kContractorDef) + ");";
  s += "CREATE UNIQUE INDEX contractor_id ON contractor(\"id\");";
  s += "CREATE TABLE goods(row INTEGER PRIMARY KEY" + ColumnList(kGoodsDef) + ");";
  s += "CREATE UNIQUE INDEX goods_key ON goods(\"key\");";
  for (const RecordDef* doc : {&kInvoiceDef, &kCorrectionDef}) {
    std::string t(doc->table);
    const RecordDef& pos = doc == &kInvoiceDef ? kInvoicePositionDef : kCorrectionPositionDef;
    std::string p(pos.table);
    s += "CREATE TABLE " + t + "(row INTEGER PRIMARY KEY, hasSummary INTEGER NOT NULL DEFAULT 0" +
         ColumnList(*doc) + ");";
    // The walk of a kind: issue date, then document id.
    s += "CREATE INDEX " + t + "_walk ON " + t + "(\"kind\", \"issueDate\", \"documentId\", row);";
    s += "CREATE UNIQUE INDEX " + t + "_unique_id ON " + t +
         "(\"documentId\") WHERE \"documentId\" <> 0;";
    s += "CREATE TABLE " + p + "(doc INTEGER NOT NULL REFERENCES " + t +
         "(row) ON DELETE CASCADE, seq INTEGER NOT NULL" + ColumnList(pos) +
         ", PRIMARY KEY(doc, seq)) WITHOUT ROWID;";
    s += "CREATE TABLE " + t + "_vat(doc INTEGER NOT NULL REFERENCES " + t +
         "(row) ON DELETE CASCADE, slot INTEGER NOT NULL, vatCode INTEGER NOT NULL, "
         "net INTEGER NOT NULL, vat INTEGER NOT NULL, gross INTEGER NOT NULL, "
         "PRIMARY KEY(doc, slot)) WITHOUT ROWID;";
  }
  s += "INSERT INTO firm(row) VALUES(1);";
  for (const DefaultRate& r : kDefaultRates) {
    s += "INSERT INTO vat_rate VALUES(" + std::to_string(r.code) + ", " +
         (r.percent < 0 ? std::string("NULL") : std::to_string(r.percent * kMoneyScale)) + ");";
  }
  for (const DefaultForm& f : kDefaultForms)
    s += "INSERT INTO payment_form VALUES(" + std::to_string(f.code) + ", '" + f.text + "');";
  s += "PRAGMA user_version = " + std::to_string(kSchemaVersion) + ";";
  return s;
}

std::string SqliteMessage(sqlite3* db, const std::string& what) {
  return what + ": " + (db ? sqlite3_errmsg(db) : "brak pamięci");
}

int QueryInt(sqlite3* db, const char* sql) {
  sqlite3_stmt* stmt = nullptr;
  int value = -1;
  if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK &&
      sqlite3_step(stmt) == SQLITE_ROW)
    value = sqlite3_column_int(stmt, 0);
  sqlite3_finalize(stmt);
  return value;
}

}  // namespace

// --- Store ----------------------------------------------------------------------------------

Store::Store(Host& host) : impl_(std::make_unique<Impl>(host)) {}
Store::~Store() = default;

HostTable* Store::Table(int number) {
  TableObject* t = impl_->TableByNumber(number);
  if (!t) return nullptr;
  if (number == kTableDDek) impl_->LoadFirm();
  return &t->head;
}

std::vector<GoodsEntry> Store::ListGoods() {
  std::vector<GoodsEntry> out;
  PooledStatement stmt =
      impl_->Statement("SELECT \"key\", \"name\", \"attr\" FROM goods ORDER BY \"key\"", nullptr);
  if (!stmt) return out;
  while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
    const unsigned char* name = sqlite3_column_text(stmt.get(), 1);
    out.push_back({sqlite3_column_int(stmt.get(), 0),
                   name ? reinterpret_cast<const char*>(name) : "",
                   sqlite3_column_int(stmt.get(), 2)});
  }
  return out;
}

bool Store::LoadGoodsRecord(int key) {
  TableObject* t = impl_->TableByNumber(kTableK9);
  PooledStatement stmt = impl_->Statement(
      "SELECT " + Impl::Columns(kGoodsDef, "") + " FROM goods WHERE \"key\" = ?1", nullptr);
  if (!t || !stmt) return false;
  sqlite3_bind_int(stmt.get(), 1, key);
  std::memset(t->buffer.data(), 0, t->buffer.size());
  if (sqlite3_step(stmt.get()) != SQLITE_ROW) return false;
  return impl_->Materialise(kGoodsDef, stmt.get(), 0, t->buffer.data());
}

// --- Impl -----------------------------------------------------------------------------------

Store::Impl::Impl(Host& h) : host(h) {
  for (std::size_t i = 0; i < tables.size(); ++i) {
    auto t = std::make_unique<TableObject>();
    t->realSize = kTableSpecs[i].size;
    std::size_t reported = t->realSize;
    if (kTovranVariant.resizedTable == kTableSpecs[i].number && kTovranVariant.resizedTableSize > 0)
      reported = static_cast<std::size_t>(kTovranVariant.resizedTableSize);
    // The buffer holds the real record even when this build reports another size.
    t->buffer.assign(std::max(t->realSize, reported), 0);
    t->head.number = static_cast<std::int16_t>(kTableSpecs[i].number);
    t->head.hostWord2 = 0;
    t->head.hostWord4 = 0;
    t->head.recordSize = static_cast<std::int16_t>(reported);
    t->head.record = t->buffer.data();
    tables[i] = std::move(t);
  }
}

Store::Impl::~Impl() {
  DropCursors();
  for (auto& [key, stmts] : pool)
    for (sqlite3_stmt* s : stmts) sqlite3_finalize(s);
  pool.clear();
  if (db) sqlite3_close_v2(db);
}

std::string Store::Impl::DefaultDbPath() const {
  const char* data = std::getenv("XDG_DATA_HOME");
  std::string base;
  if (data && *data) {
    base = data;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home && *home ? home : ".") + "/.local/share";
  }
  return base + "/vostra/vostra.db";
}

sqlite3* Store::Impl::Db(std::string* error) {
  if (db) return db;
  std::string path = host.options.dbPath.empty() ? DefaultDbPath() : host.options.dbPath;
  std::error_code ec;
  std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent, ec);
  sqlite3* handle = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                           nullptr);
  auto fail = [&](const std::string& what) -> sqlite3* {
    openError = SqliteMessage(handle, what + " " + path);
    if (error) *error = openError;
    sqlite3_close_v2(handle);
    return nullptr;
  };
  if (rc != SQLITE_OK) return fail("Nie można otworzyć bazy");
  sqlite3_busy_timeout(handle, 5000);
  if (sqlite3_exec(handle, "PRAGMA journal_mode=WAL; PRAGMA foreign_keys=ON; "
                           "PRAGMA synchronous=NORMAL;",
                   nullptr, nullptr, nullptr) != SQLITE_OK)
    return fail("Nie można ustawić bazy");
  int version = QueryInt(handle, "PRAGMA user_version");
  if (version == 0) {
    // Two programs may create the same new file at once: decide under the write lock.
    if (sqlite3_exec(handle, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
      return fail("Nie można założyć bazy");
    version = QueryInt(handle, "PRAGMA user_version");
    if (version == 0 &&
        sqlite3_exec(handle, SchemaSql().c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
      std::string why = SqliteMessage(handle, "Nie można założyć bazy " + path);
      sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
      sqlite3_close_v2(handle);
      openError = why;
      if (error) *error = why;
      return nullptr;
    }
    if (sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
      return fail("Nie można założyć bazy");
    version = kSchemaVersion;
  }
  if (version != kSchemaVersion) {
    openError = "Baza " + path + " ma nieznaną wersję " + std::to_string(version);
    if (error) *error = openError;
    sqlite3_close_v2(handle);
    return nullptr;
  }
  // The lookup of a document by id and kind (positions queries, marks); added to files made
  // before it existed.
  if (sqlite3_exec(handle,
                   "CREATE INDEX IF NOT EXISTS invoice_id ON invoice(\"documentId\", \"kind\");"
                   "CREATE INDEX IF NOT EXISTS correction_id ON correction(\"documentId\", \"kind\");",
                   nullptr, nullptr, nullptr) != SQLITE_OK)
    return fail("Nie można ustawić bazy");
  db = handle;
  openError.clear();
  return db;
}

PooledStatement& PooledStatement::operator=(PooledStatement&& other) noexcept {
  if (this != &other) {
    Release();
    owner_ = other.owner_;
    key_ = std::move(other.key_);
    stmt_ = other.stmt_;
    other.stmt_ = nullptr;
    other.owner_ = nullptr;
  }
  return *this;
}

void PooledStatement::Release() {
  if (stmt_ && owner_) owner_->ReturnStatement(key_, stmt_);
  stmt_ = nullptr;
  owner_ = nullptr;
}

PooledStatement Store::Impl::Statement(const std::string& sql, std::string* error) {
  if (!Db(error)) return {};
  auto& free = pool[sql];
  if (!free.empty()) {
    sqlite3_stmt* s = free.back();
    free.pop_back();
    return PooledStatement(this, sql, s);
  }
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) !=
      SQLITE_OK) {
    if (error) *error = SqliteMessage(db, "Błąd bazy");
    sqlite3_finalize(s);
    return {};
  }
  return PooledStatement(this, sql, s);
}

void Store::Impl::ReturnStatement(const std::string& key, sqlite3_stmt* stmt) {
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
  auto& free = pool[key];
  if (free.size() < 8) {
    free.push_back(stmt);
  } else {
    sqlite3_finalize(stmt);
  }
}

TableObject* Store::Impl::TableByNumber(int number) {
  if (number != 0 && number == kTovranVariant.missingTable) return nullptr;
  for (auto& t : tables)
    if (t->head.number == number) return t.get();
  return nullptr;
}

TableObject* Store::Impl::TableFromObject(const HostTable* table) {
  for (auto& t : tables)
    if (&t->head == table) return t.get();
  return nullptr;
}

std::string Store::Impl::Columns(const RecordDef& def, std::string_view prefix) {
  std::string out;
  for (const FieldDef& f : def.fields) {
    if (!out.empty()) out += ", ";
    out += prefix;
    out += '"';
    out += f.name;
    out += '"';
  }
  return out;
}

bool Store::Impl::Materialise(const RecordDef& def, sqlite3_stmt* stmt, int firstColumn,
                              unsigned char* record) {
  bool ok = true;
  std::string mazovia;
  for (std::size_t i = 0; i < def.fields.size(); ++i) {
    const FieldDef& f = def.fields[i];
    if (!f.inRecord) continue;
    int col = firstColumn + static_cast<int>(i);
    unsigned char* at = record + f.offset;
    switch (f.kind) {
      case FieldKind::kText:
      case FieldKind::kDate: {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
        int length = sqlite3_column_bytes(stmt, col);
        std::string_view view(text ? text : "", text ? static_cast<std::size_t>(length) : 0);
        if (f.kind == FieldKind::kText) {
          if (!Utf8ToMazovia(view, mazovia)) {
            ok = false;
            mazovia.clear();
          }
        } else {
          mazovia.assign(view);
        }
        std::size_t n = std::min<std::size_t>(mazovia.size(), f.width);
        std::memset(at, 0, f.width);
        std::memcpy(at, mazovia.data(), n);
        break;
      }
      case FieldKind::kMoney: {
        double v = static_cast<double>(sqlite3_column_int64(stmt, col));
        std::memcpy(at, &v, sizeof v);
        break;
      }
      case FieldKind::kInt:
      case FieldKind::kQuantity:
      case FieldKind::kMarks:
      case FieldKind::kGtu: {
        // Little-endian: the low bytes of the value, as many as the field has.
        std::uint64_t v = static_cast<std::uint64_t>(sqlite3_column_int64(stmt, col));
        for (int b = 0; b < f.width; ++b) at[b] = static_cast<unsigned char>(v >> (8 * b));
        break;
      }
    }
  }
  return ok;
}

bool Store::Impl::LoadFirm() {
  TableObject* t = TableByNumber(kTableDDek);
  if (!t) return false;
  std::memset(t->buffer.data(), 0, t->buffer.size());
  PooledStatement stmt =
      Statement("SELECT " + Columns(kFirmDef, "") + " FROM firm WHERE row = 1", nullptr);
  if (!stmt || sqlite3_step(stmt.get()) != SQLITE_ROW) return false;
  return Materialise(kFirmDef, stmt.get(), 0, t->buffer.data());
}

bool Store::Impl::LoadRates() {
  if (ratesLoaded) return true;
  PooledStatement stmt = Statement("SELECT code, percent FROM vat_rate", nullptr);
  if (!stmt) return false;
  rates.clear();
  while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
    std::optional<std::int64_t> pct;
    if (sqlite3_column_type(stmt.get(), 1) != SQLITE_NULL)
      pct = sqlite3_column_int64(stmt.get(), 1);
    rates[sqlite3_column_int(stmt.get(), 0)] = pct;
  }
  ratesLoaded = true;
  return true;
}

void Store::Impl::ForgetCaches() {
  ratesLoaded = false;
  rates.clear();
  for (auto& t : tables) {
    t->currentRow = 0;
    t->currentKind = 0;
    t->currentHasSummary = false;
    t->rowLoaded = false;
  }
}

bool Store::Impl::VatSummaryOf(TableObject& table, VatSummary& summary) {
  std::memset(&summary, 0, sizeof summary);
  if (table.currentRow == 0) return false;
  bool correction = table.head.number == kTableTsprKor;
  std::string doc = correction ? "correction" : "invoice";
  std::string sql;
  if (table.currentHasSummary) {
    sql = "SELECT vatCode, net, vat, gross, slot FROM " + doc + "_vat WHERE doc = ?1 ORDER BY slot";
  } else {
    // One slot per VAT code in order of first appearance; net from the value field that the
    // document's calculation uses; corrections count their position rows only.
    sql = "SELECT \"vatCode\", SUM(CASE WHEN ?2 & 1 THEN \"valueAlt\" ELSE \"value\" END), "
          "SUM(\"vatValue\"), 0, MIN(seq) FROM " + doc + "_position WHERE doc = ?1";
    if (correction) sql += " AND \"rowKind\" = 1";
    sql += " GROUP BY \"vatCode\" ORDER BY MIN(seq)";
  }
  PooledStatement stmt = Statement(sql, nullptr);
  if (!stmt) return false;
  sqlite3_bind_int64(stmt.get(), 1, table.currentRow);
  if (!table.currentHasSummary) sqlite3_bind_int(stmt.get(), 2, static_cast<int>(table.currentCalcFlags));
  int slot = 0;
  int rc;
  while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    int k = table.currentHasSummary ? sqlite3_column_int(stmt.get(), 4) : slot;
    if (k < 0 || k >= kVatSummarySlots) break;
    int code = sqlite3_column_int(stmt.get(), 0);
    std::int64_t net = sqlite3_column_int64(stmt.get(), 1);
    std::int64_t vat = sqlite3_column_int64(stmt.get(), 2);
    std::int64_t gross = table.currentHasSummary ? sqlite3_column_int64(stmt.get(), 3) : net + vat;
    if (!table.currentHasSummary && code == 0) continue;  // code 0 marks an unused slot
    summary.code[k].set(static_cast<std::int16_t>(code));
    summary.net[k].set(static_cast<double>(net));
    summary.vat[k].set(static_cast<double>(vat));
    summary.gross[k].set(static_cast<double>(gross));
    ++slot;
  }
  return rc == SQLITE_DONE || rc == SQLITE_ROW;
}

// --- Writer ---------------------------------------------------------------------------------

Writer::Writer(Store::Impl& impl) : impl_(impl) {
  std::string why;
  db_ = impl_.Db(&why);
  if (!db_) {
    error_ = why;
    return;
  }
  impl_.DropCursors();
  impl_.ForgetCaches();
  if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
    Fail("Nie można rozpocząć zapisu");
    return;
  }
  open_ = true;
  // Children first, so that no cascade has to run.
  if (sqlite3_exec(db_,
                   "DELETE FROM invoice_vat; DELETE FROM invoice_position; DELETE FROM invoice;"
                   "DELETE FROM correction_vat; DELETE FROM correction_position;"
                   "DELETE FROM correction; DELETE FROM contractor; DELETE FROM goods;"
                   "DELETE FROM vat_rate; DELETE FROM payment_form; DELETE FROM firm;",
                   nullptr, nullptr, nullptr) != SQLITE_OK) {
    Fail("Nie można wyczyścić bazy");
    return;
  }
  auto insert = [&](const std::string& table, const std::string& extra, int extraCount,
                    const RecordDef& def) {
    std::string sql = "INSERT INTO " + table + "(" + extra + Store::Impl::Columns(def, "") +
                      ") VALUES(";
    int n = extraCount + static_cast<int>(def.fields.size());
    for (int i = 1; i <= n; ++i) sql += (i > 1 ? ", ?" : "?") + std::to_string(i);
    return Prepare(sql + ")");
  };
  firm_ = insert("firm", "row, ", 1, kFirmDef);
  contractor_ = insert("contractor", "", 0, kContractorDef);
  goods_ = insert("goods", "", 0, kGoodsDef);
  document_[0] = insert("invoice", "row, hasSummary, ", 2, kInvoiceDef);
  document_[1] = insert("correction", "row, hasSummary, ", 2, kCorrectionDef);
  position_[0] = insert("invoice_position", "doc, seq, ", 2, kInvoicePositionDef);
  position_[1] = insert("correction_position", "doc, seq, ", 2, kCorrectionPositionDef);
  rate_ = Prepare("INSERT INTO vat_rate(code, percent) VALUES(?1, ?2)");
  form_ = Prepare("INSERT INTO payment_form(code, text) VALUES(?1, ?2)");
  summary_[0] = Prepare("INSERT INTO invoice_vat VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
  summary_[1] = Prepare("INSERT INTO correction_vat VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
}

Writer::~Writer() {
  for (sqlite3_stmt* s : {firm_, rate_, form_, contractor_, goods_, document_[0], document_[1],
                          position_[0], position_[1], summary_[0], summary_[1]})
    sqlite3_finalize(s);
  if (open_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  if (db_) impl_.ForgetCaches();
}

void Writer::Fail(const std::string& what) {
  if (error_.empty()) error_ = SqliteMessage(db_, what);
}

sqlite3_stmt* Writer::Prepare(const std::string& sql) {
  sqlite3_stmt* s = nullptr;
  if (!ok()) return nullptr;
  if (sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) !=
      SQLITE_OK) {
    Fail("Błąd bazy");
    sqlite3_finalize(s);
    return nullptr;
  }
  return s;
}

void Writer::Step(sqlite3_stmt* stmt) {
  if (sqlite3_step(stmt) != SQLITE_DONE) Fail("Nie można zapisać");
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
}

void Writer::InsertRow(sqlite3_stmt* stmt, int firstParam, const RecordDef& def, const Row& row) {
  for (std::size_t i = 0; i < def.fields.size() && i < row.size(); ++i) {
    int p = firstParam + static_cast<int>(i);
    const FieldDef& f = def.fields[i];
    if (f.kind == FieldKind::kText || f.kind == FieldKind::kDate) {
      sqlite3_bind_text(stmt, p, row[i].s.data(), static_cast<int>(row[i].s.size()),
                        SQLITE_TRANSIENT);
    } else {
      sqlite3_bind_int64(stmt, p, row[i].n);
    }
  }
  Step(stmt);
}

void Writer::Firm(const Row& row) {
  if (!ok()) return;
  sqlite3_bind_int(firm_, 1, 1);
  InsertRow(firm_, 2, kFirmDef, row);
}

void Writer::VatRate(int code, std::optional<std::int64_t> percent) {
  if (!ok()) return;
  sqlite3_bind_int(rate_, 1, code);
  if (percent) sqlite3_bind_int64(rate_, 2, *percent);
  Step(rate_);
}

void Writer::PaymentForm(int code, const std::string& text) {
  if (!ok()) return;
  sqlite3_bind_int(form_, 1, code);
  sqlite3_bind_text(form_, 2, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  Step(form_);
}

void Writer::Contractor(const Row& row) {
  if (ok()) InsertRow(contractor_, 1, kContractorDef, row);
}

void Writer::Goods(const Row& row) {
  if (ok()) InsertRow(goods_, 1, kGoodsDef, row);
}

std::int64_t Writer::Document(bool correction, const Row& row, bool hasSummary) {
  if (!ok()) return 0;
  std::int64_t doc = nextDoc_[correction]++;
  sqlite3_stmt* s = document_[correction];
  sqlite3_bind_int64(s, 1, doc);
  sqlite3_bind_int(s, 2, hasSummary ? 1 : 0);
  InsertRow(s, 3, correction ? kCorrectionDef : kInvoiceDef, row);
  return doc;
}

void Writer::Position(bool correction, std::int64_t doc, int seq, const Row& row) {
  if (!ok()) return;
  sqlite3_stmt* s = position_[correction];
  sqlite3_bind_int64(s, 1, doc);
  sqlite3_bind_int(s, 2, seq);
  InsertRow(s, 3, correction ? kCorrectionPositionDef : kInvoicePositionDef, row);
}

void Writer::SummarySlot(bool correction, std::int64_t doc, int slot, int code, std::int64_t net,
                         std::int64_t vat, std::int64_t gross) {
  if (!ok()) return;
  sqlite3_stmt* s = summary_[correction];
  sqlite3_bind_int64(s, 1, doc);
  sqlite3_bind_int(s, 2, slot);
  sqlite3_bind_int(s, 3, code);
  sqlite3_bind_int64(s, 4, net);
  sqlite3_bind_int64(s, 5, vat);
  sqlite3_bind_int64(s, 6, gross);
  Step(s);
}

bool Writer::Commit(std::string* error) {
  if (ok() && open_) {
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) {
      open_ = false;
    } else {
      Fail("Nie można zatwierdzić zapisu");
    }
  }
  if (!ok() && error) *error = error_;
  return ok();
}

}  // namespace host::store
