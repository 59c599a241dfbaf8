#include "toolkit/record_pool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct Item {
  void* next;
  int values[3];
};

std::unique_ptr<RecordPool> make_pool() { return pool_create(sizeof(Item), 16, 256); }

std::vector<void*> take(RecordPool& pool, int count) {
  std::vector<void*> records;
  for (int i = 0; i < count; ++i) records.push_back(pool_alloc(pool));
  return records;
}

TEST(RecordPool, BlocksHoldSixteenUntilThePoolHolds512ThenGrowToAtMost256) {
  auto pool = make_pool();
  std::vector<int> block_sizes;
  int total = 0;
  for (int i = 0; i < 12000; ++i) {
    ASSERT_NE(pool_alloc(*pool), nullptr);
    if (pool->total != total) block_sizes.push_back(pool->total - total);
    total = pool->total;
  }
  ASSERT_GE(block_sizes.size(), 40u);
  // Totals 16 to 496 give 16-record blocks; 512 is the first total for 32.
  for (int i = 0; i < 32; ++i) EXPECT_EQ(block_sizes[i], 16) << "block " << i;
  EXPECT_EQ(block_sizes[32], 32);
  int largest = 0;
  for (int size : block_sizes) {
    EXPECT_EQ(size % 16, 0);
    largest = std::max(largest, size);
  }
  EXPECT_EQ(largest, 256);
  EXPECT_EQ(block_sizes.back(), 256);
}

TEST(RecordPool, TheSeventeenthRecordStartsASecondBlock) {
  auto pool = make_pool();
  auto records = take(*pool, 16);
  EXPECT_EQ(pool->total, 16);
  EXPECT_EQ(pool->partial_blocks, nullptr) << "the first block is full";
  void* seventeenth = pool_alloc(*pool);
  EXPECT_EQ(pool->total, 32);
  records.push_back(seventeenth);
  for (void* record : records) {
    std::memset(record, 0xab, sizeof(Item));  // every record is usable (ASan checks)
    pool_free(*pool, record);
  }
}

TEST(RecordPool, AFullBlockWithOneRecordBackServesThatRecordNext) {
  auto pool = make_pool();
  auto first = take(*pool, 16);
  auto second = take(*pool, 16);
  static_cast<Item*>(first[5])->values[1] = 77;
  pool_free(*pool, first[5]);
  void* again = pool_alloc(*pool);
  EXPECT_EQ(again, first[5]);
  EXPECT_EQ(static_cast<Item*>(again)->values[1], 77) << "a reused record keeps its contents";
  EXPECT_EQ(pool->total, 32);
  for (void* record : first) pool_free(*pool, record);
  for (void* record : second) pool_free(*pool, record);
}

TEST(RecordPool, ABlockIsReleasedWhenEveryRecordItHandedOutIsBack) {
  auto pool = make_pool();
  void* keeper = pool_alloc(*pool);
  auto records = take(*pool, 40);  // fills block 1, all of block 2, part of block 3
  EXPECT_EQ(pool->total, 48);
  for (int i = 15; i < 31; ++i) pool_free(*pool, records[i]);  // all of block 2
  EXPECT_EQ(pool->total, 32);
  for (int i = 31; i < 40; ++i) pool_free(*pool, records[i]);  // block 3: 9 handed out, 9 back
  EXPECT_EQ(pool->total, 16);
  for (int i = 0; i < 15; ++i) pool_free(*pool, records[i]);
  EXPECT_EQ(pool->total, 16) << "the record that never comes back keeps the first block";
  pool_free(*pool, keeper);
  EXPECT_EQ(pool->total, 0);
  EXPECT_EQ(pool->partial_blocks, nullptr);
  EXPECT_EQ(pool->full_blocks, nullptr);
}

}  // namespace
