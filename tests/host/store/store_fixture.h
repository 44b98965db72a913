// Helpers of the store's tests: byte builders for expected record bytes and a check that
// compares a record with a table of (field, offset, bytes) and wants every other byte zero.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "frame/host_services.h"
#include "test_host.h"

namespace store_test {

template <class T>
std::string Le(T value) {
  std::string bytes(sizeof value, '\0');
  std::memcpy(bytes.data(), &value, sizeof value);
  return bytes;
}
inline std::string I16(std::int16_t v) { return Le(v); }
inline std::string I32(std::int32_t v) { return Le(v); }
inline std::string F64(double v) { return Le(v); }
// A text as the record holds it: the bytes, then a terminator unless the field is full.
inline std::string Text(std::string bytes, std::size_t width) {
  if (bytes.size() < width) bytes.push_back('\0');
  return bytes;
}

struct ByteCase {
  const char* field;
  std::size_t offset;
  std::string bytes;
};

inline std::string Hex(const unsigned char* p, std::size_t n) {
  std::string out;
  char b[4];
  for (std::size_t i = 0; i < n; ++i) {
    std::snprintf(b, sizeof b, "%02X ", p[i]);
    out += b;
  }
  return out;
}

// Every case's bytes at its offset; every byte that no case covers is zero.
inline void ExpectRecord(const void* record, std::size_t size, const std::vector<ByteCase>& cases) {
  const auto* bytes = static_cast<const unsigned char*>(record);
  std::vector<bool> covered(size, false);
  for (const ByteCase& c : cases) {
    SCOPED_TRACE(c.field);
    ASSERT_LE(c.offset + c.bytes.size(), size);
    EXPECT_EQ(Hex(bytes + c.offset, c.bytes.size()),
              Hex(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size()));
    for (std::size_t i = 0; i < c.bytes.size(); ++i) covered[c.offset + i] = true;
  }
  for (std::size_t i = 0; i < size; ++i) {
    if (!covered[i]) {
      EXPECT_EQ(bytes[i], 0) << "byte " << i << " is not part of a field";
    }
  }
}

inline unsigned char* RecordOf(int table) {
  HostTable* t = HostGetTable(table);
  return t ? static_cast<unsigned char*>(t->record) : nullptr;
}

// Walks the documents of a kind and returns their ids in walk order.
inline std::vector<std::int32_t> WalkIds(int table, int kind) {
  std::vector<std::int32_t> ids;
  HostCursor cursor{};
  HostTable* t = HostGetTable(table);
  if (HostCursorOpen(&cursor, t, kind, nullptr, 0, 0) == 1) {
    std::size_t idOffset = table == kTableTspr ? 1465 : 945;
    while (HostCursorNext(&cursor) == 1) {
      std::int32_t id;
      std::memcpy(&id, static_cast<unsigned char*>(t->record) + idOffset, 4);
      ids.push_back(id);
    }
    HostCursorClose(&cursor);
  }
  HostCursorFree(&cursor);
  return ids;
}

}  // namespace store_test
