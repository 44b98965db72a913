// The host's table services as the plug-in calls them (frame/host_services.h): table objects,
// document and positions cursors, positions queries, the contractor lookup, the VAT summary,
// the marking object, payment-form texts and VAT rates.
//
// Cursor, query and marker storage belongs to the plug-in; the host keeps a tag and a pointer
// to its own state there. State is found through the current host's store and checked against
// its live set, so a cursor that was never opened, or was closed already, is left alone.
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <memory>

#include "core/encoding.h"
#include "frame/host_services.h"
#include "platform.h"
#include "store/store.h"
#include "store/store_impl.h"

namespace host::store {

// The state of one open cursor: a statement that steps through the rows in the database, so
// that a walk holds one row at a time whatever the number of documents.
struct CursorState {
  std::uint64_t serial = 0;  // tells a new cursor from an old one at a reused address
  PooledStatement stmt;
  TableObject* table = nullptr;
  const RecordDef* def = nullptr;
  int kind = 0;
  bool documents = false;  // header table walk (else positions)
};

void Store::Impl::DropCursors() {
  for (CursorState* c : cursors) delete c;
  cursors.clear();
}

namespace {

constexpr std::uint64_t kCursorTag = 0x524F535255435356ull;  // host cursor state
constexpr std::uint64_t kQueryTag = 0x5952455551505356ull;   // positions query
constexpr std::uint64_t kMarkerTag = 0x52454B52414D5356ull;  // marking object
constexpr std::int32_t kOpenWord = 1;

// Layout of the host's part of a cursor, a query and a marker in the plug-in's storage.
struct CursorSlot {
  std::uint64_t tag;
  CursorState* state;
  std::uint64_t serial;
};
static_assert(sizeof(CursorSlot) <= sizeof(HostCursor::host));

struct QuerySlot {
  std::uint64_t tag;
  std::int32_t positionsKind;
  std::int32_t documentId;
  std::int32_t valid;
};
static_assert(sizeof(QuerySlot) <= sizeof(HostQuery::host));

// The documents added to a marking object wait in memory in batches; a full batch moves to a
// temporary table of the connection, so a run's memory does not grow with its documents.
constexpr std::size_t kMarkerBatch = 4096;

struct MarkerState {
  std::vector<std::pair<int, std::int32_t>> pending;  // kind, document id; at most a batch
  std::string table;  // the temporary table holding earlier batches; empty until the first
};
std::uint64_t g_markerSerial = 0;
struct MarkerSlot {
  std::uint64_t tag;
  MarkerState* state;
};
static_assert(sizeof(MarkerSlot) <= sizeof(HostMarker::storage));

Store::Impl* CurrentStore() {
  Host* h = Current();
  return h && h->store ? &h->store->impl() : nullptr;
}

CursorState* StateOf(HostCursor* cursor) {
  if (!cursor || cursor->openWord != kOpenWord) return nullptr;
  CursorSlot slot;
  std::memcpy(&slot, cursor->host, sizeof slot);
  Store::Impl* impl = CurrentStore();
  if (slot.tag != kCursorTag || !impl || !impl->cursors.count(slot.state) ||
      slot.state->serial != slot.serial)
    return nullptr;
  return slot.state;
}

void ReleaseCursor(HostCursor* cursor) {
  if (!cursor) return;
  if (CursorState* state = StateOf(cursor)) {
    CurrentStore()->cursors.erase(state);
    delete state;
  }
  std::memset(cursor->host, 0, sizeof cursor->host);
  cursor->openWord = 0;
}

const QuerySlot* QueryOf(const void* query) {
  if (!query) return nullptr;
  static_assert(alignof(HostQuery) >= alignof(QuerySlot));
  const QuerySlot* slot = static_cast<const QuerySlot*>(query);
  return slot->tag == kQueryTag ? slot : nullptr;
}

MarkerState* MarkerOf(HostMarker* marker) {
  if (!marker) return nullptr;
  MarkerSlot slot;
  std::memcpy(&slot, marker->storage, sizeof slot);
  return slot.tag == kMarkerTag ? slot.state : nullptr;
}

// Moves the pending batch of a marking object into its temporary table, in one savepoint.
bool FlushMarks(Store::Impl& impl, MarkerState& state) {
  if (state.pending.empty()) return true;
  sqlite3* db = impl.Db(nullptr);
  if (!db) return false;
  if (state.table.empty()) {
    const std::string table = "vostra_marks_" + std::to_string(++g_markerSerial);
    const std::string create =
        "CREATE TEMP TABLE " + table + " (correction INTEGER, kind INTEGER, documentId INTEGER)";
    if (sqlite3_exec(db, create.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) return false;
    state.table = table;
  }
  if (sqlite3_exec(db, "SAVEPOINT vostra_marks", nullptr, nullptr, nullptr) != SQLITE_OK)
    return false;
  const std::string insert =
      "INSERT INTO temp." + state.table + " (correction, kind, documentId) VALUES (?1, ?2, ?3)";
  sqlite3_stmt* stmt = nullptr;
  bool ok = sqlite3_prepare_v2(db, insert.c_str(), -1, &stmt, nullptr) == SQLITE_OK;
  for (std::size_t i = 0; ok && i < state.pending.size(); ++i) {
    const int kind = state.pending[i].first;
    sqlite3_bind_int(stmt, 1, DocumentTableOfKind(kind) == kTableTsprKor ? 1 : 0);
    sqlite3_bind_int(stmt, 2, kind);
    sqlite3_bind_int(stmt, 3, state.pending[i].second);
    ok = sqlite3_step(stmt) == SQLITE_DONE;
    sqlite3_reset(stmt);
  }
  sqlite3_finalize(stmt);
  if (!ok) {
    sqlite3_exec(db, "ROLLBACK TO vostra_marks", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "RELEASE vostra_marks", nullptr, nullptr, nullptr);
    return false;
  }
  if (sqlite3_exec(db, "RELEASE vostra_marks", nullptr, nullptr, nullptr) != SQLITE_OK) return false;
  state.pending.clear();
  return true;
}

[[noreturn]] void ReadFault() { throw platform::SE_Exception(kReadFaultCode, nullptr); }

}  // namespace
}  // namespace host::store

using host::store::CursorState;
using host::store::TableObject;

extern "C" {

HostTable* HostGetTable(int tableNumber) {
  host::Host* h = host::Current();
  return h && h->store ? h->store->Table(tableNumber) : nullptr;
}

int HostTableSetMode(HostTable* table, int mode) {
  auto* impl = host::store::CurrentStore();
  TableObject* t = impl ? impl->TableFromObject(table) : nullptr;
  if (!t) return -1;
  t->mode = mode;
  return 0;
}

// The key of a kind's document walk: prefix, kind and suffix ("MMM811.UNR"). The cursor walks
// by the kind it is given; the key is kept for the host's diagnostics.
char* HostBuildKindKey(int kind, char* key, const char* a, const char* b, int /*c*/) {
  if (!key) return key;
  std::snprintf(key, 260, "%s%d%s", a ? a : "", kind, b ? b : "");
  return key;
}

int HostGetPositionsKind(int kind) { return host::store::PositionsKindOf(kind); }

int HostQueryPrepare(int kind, HostTable** table, HostQuery* query, std::int32_t documentId) {
  using namespace host::store;
  Store::Impl* impl = CurrentStore();
  int docKind = DocumentKindOfPositions(kind);
  int header = DocumentTableOfKind(docKind);
  TableObject* t = impl && header ? impl->TableByNumber(header == kTableTspr ? kTableTsprDok
                                                                            : kTableTsprKorDok)
                                  : nullptr;
  if (table) *table = t ? &t->head : nullptr;
  if (!query) return -1;
  QuerySlot slot{kQueryTag, kind, documentId, t && documentId != 0 ? 1 : 0};
  std::memset(query->host, 0, sizeof query->host);
  std::memcpy(query->host, &slot, sizeof slot);
  return slot.valid ? 0 : -1;
}

int HostQueryCheck(const HostQuery* query) {
  const auto* slot = host::store::QueryOf(query);
  return slot && slot->valid ? 0 : 1;
}

int HostCursorOpen(HostCursor* cursor, HostTable* table, int kind, const void* key, int, int) {
  using namespace host::store;
  if (!cursor) return 0;
  ReleaseCursor(cursor);
  Store::Impl* impl = CurrentStore();
  TableObject* t = impl ? impl->TableFromObject(table) : nullptr;
  if (!t) return 0;
  auto state = std::make_unique<CursorState>();
  state->table = t;
  std::string sql;
  int number = t->head.number;
  if (number == kTableTspr || number == kTableTsprKor) {
    if (DocumentTableOfKind(kind) != number) return 0;
    state->documents = true;
    state->def = number == kTableTspr ? &kInvoiceDef : &kCorrectionDef;
    state->kind = kind;
    sql = "SELECT row, hasSummary, " + Store::Impl::Columns(*state->def, "") + " FROM " +
          std::string(state->def->table) +
          " WHERE \"kind\" = ?1 ORDER BY \"issueDate\", \"documentId\", row";
  } else if (number == kTableTsprDok || number == kTableTsprKorDok) {
    const QuerySlot* q = QueryOf(key);
    if (!q || !q->valid) return 0;
    int docKind = DocumentKindOfPositions(q->positionsKind);
    const RecordDef& docDef = DocumentTableOfKind(docKind) == kTableTspr ? kInvoiceDef
                                                                          : kCorrectionDef;
    state->def = &docDef == &kInvoiceDef ? &kInvoicePositionDef : &kCorrectionPositionDef;
    if (state->def->tableNumber != number) return 0;
    state->kind = q->positionsKind;
    std::string doc(docDef.table);
    // The document first (by its id index), then its rows in their order.
    sql = "SELECT 0, 0, " + Store::Impl::Columns(*state->def, "") + " FROM " + doc +
          "_position WHERE doc = (SELECT row FROM " + doc +
          " WHERE \"documentId\" = ?1 AND \"kind\" = ?2) ORDER BY seq";
    state->stmt = impl->Statement(sql, nullptr);
    if (!state->stmt) return 0;
    sqlite3_bind_int(state->stmt.get(), 1, q->documentId);
    sqlite3_bind_int(state->stmt.get(), 2, docKind);
  } else {
    return 0;
  }
  if (state->documents) {
    state->stmt = impl->Statement(sql, nullptr);
    if (!state->stmt) return 0;
    sqlite3_bind_int(state->stmt.get(), 1, kind);
  }
  state->serial = ++impl->cursorSerial;
  CursorSlot slot{kCursorTag, state.get(), state->serial};
  std::memset(cursor->host, 0, sizeof cursor->host);
  std::memcpy(cursor->host, &slot, sizeof slot);
  cursor->openWord = kOpenWord;
  impl->cursors.insert(state.release());
  return 1;
}

int HostCursorNext(HostCursor* cursor) {
  using namespace host::store;
  CursorState* state = StateOf(cursor);
  if (!state) return 0;
  TableObject& t = *state->table;
  sqlite3_stmt* stmt = state->stmt.get();
  int rc = sqlite3_step(stmt);
  if (rc == SQLITE_DONE) {
    if (!state->documents) t.rowLoaded = false;
    return 0;
  }
  if (rc != SQLITE_ROW) ReadFault();
  std::memset(t.buffer.data(), 0, t.buffer.size());
  if (!CurrentStore()->Materialise(*state->def, stmt, 2, t.buffer.data())) ReadFault();
  if (state->documents) {
    t.currentRow = sqlite3_column_int64(stmt, 0);
    t.currentHasSummary = sqlite3_column_int(stmt, 1) != 0;
    t.currentKind = state->kind;
    t.currentCalcFlags = t.head.number == kTableTspr
                             ? reinterpret_cast<const TsprRecord*>(t.buffer.data())->calcFlags.get()
                             : reinterpret_cast<const TsprKorRecord*>(t.buffer.data())->calcFlags.get();
  } else {
    t.rowLoaded = true;
  }
  return 1;
}

int HostQueryMatches(const void* record, HostTable* table) {
  auto* impl = host::store::CurrentStore();
  TableObject* t = impl ? impl->TableFromObject(table) : nullptr;
  // The positions cursor yields the rows of its document only: a loaded row matches.
  return t && t->rowLoaded && record == t->buffer.data() ? 1 : 0;
}

void HostCursorClose(HostCursor* cursor) { host::store::ReleaseCursor(cursor); }

void HostCursorFree(HostCursor* cursor) { host::store::ReleaseCursor(cursor); }

std::int32_t* HostContractorKey() {
  auto* impl = host::store::CurrentStore();
  static std::int32_t detached = 0;
  return impl ? &impl->contractorKey : &detached;
}

int HostFindContractor(int /*mode*/) {
  using namespace host::store;
  Store::Impl* impl = CurrentStore();
  TableObject* t = impl ? impl->TableByNumber(kTableK4) : nullptr;
  if (!t) return 0;
  // A contractor that is not found leaves an empty record, never the previous one.
  std::memset(t->buffer.data(), 0, t->buffer.size());
  PooledStatement stmt = impl->Statement(
      "SELECT " + Store::Impl::Columns(kContractorDef, "") + " FROM contractor WHERE \"id\" = ?1",
      nullptr);
  if (!stmt) return 0;
  sqlite3_bind_int(stmt.get(), 1, impl->contractorKey);
  int rc = sqlite3_step(stmt.get());
  if (rc == SQLITE_DONE) return 0;
  if (rc != SQLITE_ROW || !impl->Materialise(kContractorDef, stmt.get(), 0, t->buffer.data()))
    ReadFault();
  return 1;
}

int HostGetVatSummary(int kind, VatSummary* summary, void* second, int /*flags*/) {
  using namespace host::store;
  Store::Impl* impl = CurrentStore();
  int header = DocumentTableOfKind(kind);
  TableObject* t = impl && header ? impl->TableByNumber(header) : nullptr;
  VatSummary filled;
  std::memset(&filled, 0, sizeof filled);
  bool ok = t && impl->VatSummaryOf(*t, filled);
  if (summary) std::memcpy(summary, &filled, sizeof filled);
  if (second) std::memcpy(second, &filled, sizeof filled);
  return ok ? 1 : 0;
}

void HostMarkerInit(HostMarker* marker) {
  using namespace host::store;
  if (!marker) return;
  MarkerSlot slot{kMarkerTag, new MarkerState};
  std::memset(marker->storage, 0, sizeof marker->storage);
  std::memcpy(marker->storage, &slot, sizeof slot);
}

int HostMarkerAdd(HostMarker* marker, int kind, std::int32_t documentId) {
  using namespace host::store;
  MarkerState* state = MarkerOf(marker);
  if (!state || documentId == 0 || !DocumentTableOfKind(kind)) return 0;
  state->pending.emplace_back(kind, documentId);
  if (state->pending.size() >= kMarkerBatch) {
    Store::Impl* impl = CurrentStore();
    if (!impl || !FlushMarks(*impl, *state)) return 0;
  }
  return 1;
}

// Marks every added document as exported (bit 2 of exportFlags) in one transaction.
// Returns the number of documents marked, or -1 when nothing could be stored.
int HostMarkerCommit(HostMarker* marker) {
  using namespace host::store;
  MarkerState* state = MarkerOf(marker);
  Store::Impl* impl = CurrentStore();
  if (!state || !impl || !impl->Db(nullptr)) return -1;
  if (!FlushMarks(*impl, *state)) return -1;
  if (state->table.empty()) return 0;
  sqlite3* db = impl->db;
  if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) return -1;
  int marked = 0;
  bool ok = true;
  for (int correction = 0; correction < 2; ++correction) {
    const std::string sql = std::string("UPDATE ") + (correction ? "correction" : "invoice") +
                            " SET \"exportFlags\" = \"exportFlags\" | 4 WHERE (\"documentId\", "
                            "\"kind\") IN (SELECT documentId, kind FROM temp." + state->table +
                            " WHERE correction = " + std::to_string(correction) + ")";
    ok = ok && sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    if (ok) marked += sqlite3_changes(db);
  }
  if (!ok || sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return -1;
  }
  const std::string empty = "DELETE FROM temp." + state->table;
  sqlite3_exec(db, empty.c_str(), nullptr, nullptr, nullptr);
  return marked;
}

void HostMarkerDestroy(HostMarker* marker) {
  using namespace host::store;
  MarkerState* state = MarkerOf(marker);
  Store::Impl* impl = CurrentStore();
  if (state && !state->table.empty() && impl && impl->db) {
    const std::string drop = "DROP TABLE IF EXISTS temp." + state->table;
    sqlite3_exec(impl->db, drop.c_str(), nullptr, nullptr, nullptr);
  }
  delete state;
  if (marker) std::memset(marker->storage, 0, sizeof marker->storage);
}

// Field type 151: the payment form's text. Without a buffer the text is the host's own,
// valid until the next call.
const char* HostFieldText(char* buffer, int size, const void* value, int fieldType) {
  using namespace host::store;
  Store::Impl* impl = CurrentStore();
  static char detached[1] = {0};
  char* out = buffer && size > 0 ? buffer : impl ? impl->fieldText : detached;
  std::size_t room = buffer && size > 0 ? static_cast<std::size_t>(size)
                     : impl               ? sizeof impl->fieldText
                                          : 1;
  out[0] = 0;
  if (!impl || !value || fieldType != 151) return out;
  std::int16_t code;
  std::memcpy(&code, value, sizeof code);
  PooledStatement stmt = impl->Statement("SELECT text FROM payment_form WHERE code = ?1", nullptr);
  if (!stmt) return out;
  sqlite3_bind_int(stmt.get(), 1, code);
  if (sqlite3_step(stmt.get()) != SQLITE_ROW) return out;
  const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
  std::string mazovia;
  if (!text || !host::Utf8ToMazovia(text, mazovia)) return out;
  std::size_t n = std::min(mazovia.size(), room - 1);
  std::memcpy(out, mazovia.data(), n);
  out[n] = 0;
  return out;
}

double HostVatRate(int vatCode) {
  auto* impl = host::store::CurrentStore();
  if (!impl || !impl->LoadRates()) return 0.0;
  auto it = impl->rates.find(vatCode);
  if (it == impl->rates.end() || !it->second) return 0.0;
  return static_cast<double>(*it->second) / static_cast<double>(host::store::kMoneyScale);
}

double HostVatConvert(int kind, int vatCode, double value) {
  if (vatCode == 5 || vatCode == 8 || vatCode == 9) return value;
  double pct = HostVatRate(vatCode);
  if (kind == 2) return value * 100.0 / (100.0 + pct);
  if (kind == 1) return value * (100.0 + pct) / 100.0;
  return value;
}

}  // extern "C"
