// SPDX-License-Identifier: GPL-3.0-or-later
// The GTK-free registry: numbered object tables and the record pool under them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "registry/object_table.h"
#include "registry/record_pool.h"

namespace {

using Numbers = std::vector<ObjectNumber>;
struct TestRecord { void* handle; int value; };

ObjectTable* table = nullptr;  // the free function reaches it as the layers do
Numbers freed;

void record_free(ObjectNumber number) {
  if (!object_find(*table, number)) return;
  freed.push_back(number);
  object_free(*table, number);
}

ObjectNumber make(ObjectNumber number, int value = 0) {
  auto* record = static_cast<TestRecord*>(object_new(*table, number));
  *record = TestRecord{table, value};
  return number == OBJECT_NUMBER_ANY ? object_record_number(record) : number;
}

// The numbers an iteration returns; on reaching `trigger` it frees `victim`.
Numbers iterate(ObjectNumber trigger = -1, ObjectNumber victim = -1) {
  Numbers numbers;
  ObjectNumber number = 0;
  for (object_iterate_begin(*table); object_iterate_next(*table, &number);) {
    numbers.push_back(number);
    if (number == trigger) object_free(*table, victim);
  }
  return numbers;
}

// The static numbers end one below the capacity: the capacity itself is the
// first number that grows the table, to the number plus the growth and no
// further; a number that would pass a 32-bit capacity makes nothing.
TEST(ObjectTable, NumbersGrowReuseFindAndIterate) {
  auto owner = object_table_create(sizeof(TestRecord), 16, record_free);
  table = owner.get();
  for (auto [number, capacity] : {std::pair{15, 16}, {16, 32}, {40, 56}}) {
    make(number, number);
    EXPECT_EQ(table->capacity, capacity) << number;
  }
  for (ObjectNumber kept : {15, 16}) EXPECT_EQ(object_find_record<TestRecord>(*table, kept)->value, kept) << "moved";
  for (ObjectNumber empty : {0, 14, 17, 39, 41, 55, 56}) EXPECT_EQ(object_find(*table, empty), nullptr) << empty;
  const ObjectNumber largest = std::numeric_limits<std::int32_t>::max() - 16;
  for (ObjectNumber refused : {largest + 1, ObjectNumber{std::numeric_limits<std::int32_t>::max()}, ObjectNumber{-2}})
    EXPECT_EQ(object_new(*table, refused), nullptr) << refused;
  EXPECT_EQ(table->capacity, 56);
  EXPECT_EQ(static_cast<TestRecord*>(object_new(*table, 40))->handle, nullptr) << "reuse gives an empty slot, not listed";
  EXPECT_EQ(freed, Numbers{40}) << "after ending the old object";

  ObjectNumber a = make(OBJECT_NUMBER_ANY), b = make(OBJECT_NUMBER_ANY), c = make(OBJECT_NUMBER_ANY);
  make(1);
  EXPECT_EQ(iterate(), (Numbers{1, 15, 16, a, b, c})) << "static ascending, then dynamic oldest first";
  object_free(*table, b);
  EXPECT_EQ(object_find(*table, b), nullptr) << "a freed dynamic number finds nothing (ASan checks)";
  EXPECT_EQ(iterate(a, c), (Numbers{1, 15, 16, a})) << "freeing the next while iterating";
  freed.clear();
  object_table_free_all(*table);
  EXPECT_EQ(freed, (Numbers{1, 15, 16, a}));
  EXPECT_TRUE(iterate().empty());
}

TEST(RecordPool, BlockSizesAndRelease) {
  auto pool = pool_create(24, 16, 256);
  std::vector<void*> records;
  std::vector<int> block_sizes;
  for (int i = 0, total = 0; i < 12000; ++i, total = pool->total) {
    records.push_back(pool_alloc(*pool));
    if (pool->total != total) block_sizes.push_back(pool->total - total);
  }
  EXPECT_EQ(std::count(block_sizes.begin(), block_sizes.end(), 16), 32);
  EXPECT_EQ(block_sizes[32], 32) << "512 is the first total for 32";
  EXPECT_EQ(*std::max_element(block_sizes.begin(), block_sizes.end()), block_sizes.back());
  EXPECT_EQ(block_sizes.back(), 256);

  pool_free(*pool, records[5]);  // a record given back is handed out next
  EXPECT_EQ(pool_alloc(*pool), records[5]);
  const int total = pool->total;
  for (int i = 16; i < 48; ++i) pool_free(*pool, records[i]);
  EXPECT_EQ(pool->total, total - 32) << "blocks 2 and 3 are released once empty";
  for (size_t i = 1; i < records.size(); ++i)
    if (i < 16 || i >= 48) pool_free(*pool, records[i]);
  EXPECT_EQ(pool->total, 16) << "record 0 keeps the first block";
  pool_free(*pool, records[0]);
  EXPECT_EQ(pool->total, 0);
}

}  // namespace
