// The host's database: one SQLite file with the firm, VAT rates, payment forms, contractors,
// goods, invoices and corrections, and the table services that materialise its rows into the
// byte-exact record buffers that the plug-in reads (frame/host_services.h, format/host_records.h).
//
// A Store belongs to its Host and does no I/O until first used; the file (and its folder) is
// created on first use. Texts are kept as UTF-8 and materialised as Mazovia. Import and sample
// replace the whole contents in one transaction: either everything is stored or nothing changes,
// and a refusal comes back as a Polish message naming the record, the field and the reason.
// Cursors, queries and markers live in the plug-in's storage and point to state owned here.
// Not thread-safe: everything runs on the host's one thread.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/host.h"
#include "format/host_records.h"

namespace host::store {

// The code of the structured exception raised when a database read fails inside a cursor step
// (the host cannot return that fault through HostCursorNext).
inline constexpr std::uint32_t kReadFaultCode = 0xE0DB0001;

// The exchange document's format name ("format" of a host-data document).
inline constexpr std::string_view kFormatName = "vostra-host-data/1";

// One goods item for the chooser: its key (what HostGetChosenKey gives), name and attribute.
struct GoodsEntry {
  int key;
  std::string name;  // UTF-8
  int attr;
};

class Store {
 public:
  explicit Store(Host& host);
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  // Replaces the database's contents with a host-data document (UTF-8 JSON). All or nothing;
  // false with a message naming record, field and reason.
  bool ImportText(std::string_view utf8Json, std::string* error);
  // The same from a file; "-" reads standard input.
  bool ImportFile(const std::string& path, std::string* error);
  // Writes the database as a host-data document that ImportText takes back unchanged.
  bool Dump(std::ostream& out, std::string* error);
  // Replaces the contents with generated data: `invoices` sales invoices of kind 811 and the
  // other kinds in proportion, over the current and the previous month. Same seed, same data.
  bool Sample(int invoices, std::uint64_t seed, std::string* error);

  // The goods catalogue in key order, and one record materialised into table 49's buffer.
  std::vector<GoodsEntry> ListGoods();
  bool LoadGoodsRecord(int key);

  // The table object of a table number (35, 44, 45, 46, 47, 49, 51, 59); null for any other
  // number and for the table that this build of TOVRAN leaves out. Owned by the Store.
  HostTable* Table(int number);

  // Internals shared by the store's own source files.
  struct Impl;
  Impl& impl() { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

// The program's "db" commands: sample [--invoices N] [--seed S], import FILE|-, dump.
// Messages go to standard error in UTF-8; the result is the exit status (0 = done).
int RunDbCommand(Host& host, const std::vector<std::string>& args);

}  // namespace host::store
