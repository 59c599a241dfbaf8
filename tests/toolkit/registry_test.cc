// The GTK-free registry: numbered object tables and the record pool under them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "toolkit/object_table.h"
#include "toolkit/record_pool.h"

namespace {

struct TestRecord {
  void* handle;
  int value;
};

// The free function reaches the table through a variable, as the layers do.
ObjectTable* current_table = nullptr;
std::vector<ObjectNumber> freed;

void record_free(ObjectNumber number) {
  if (!object_find(*current_table, number)) return;
  freed.push_back(number);
  object_free(*current_table, number);
}

class ObjectTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table = object_table_create(sizeof(TestRecord), 16, record_free);
    current_table = table.get();
    freed.clear();
  }

  ObjectNumber make(ObjectNumber number, int value = 0) {
    auto* record = static_cast<TestRecord*>(object_new(*table, number));
    *record = TestRecord{table.get(), value};
    return number == OBJECT_NUMBER_ANY ? object_record_number(record) : number;
  }

  // The numbers an iteration returns; on reaching `trigger` it frees `victim`.
  std::vector<ObjectNumber> iterate(ObjectNumber trigger = -1, ObjectNumber victim = -1) {
    std::vector<ObjectNumber> numbers;
    ObjectNumber number = 0;
    object_iterate_begin(*table);
    while (object_iterate_next(*table, &number)) {
      numbers.push_back(number);
      if (number == trigger) object_free(*table, victim);
    }
    return numbers;
  }

  std::unique_ptr<ObjectTable> table;
};

TEST_F(ObjectTableTest, StaticNumbersGrowTheTableAndReuseEndsTheOldObject) {
  make(2, 22);
  make(20, 7);
  EXPECT_EQ(table->capacity, 36) << "grows by the initial count";
  EXPECT_EQ(object_find_record<TestRecord>(*table, 2)->value, 22) << "records survive the move";
  for (ObjectNumber n = 16; n < 36; ++n) EXPECT_EQ(object_find(*table, n) != nullptr, n == 20) << n;
  auto* record = static_cast<TestRecord*>(object_new(*table, 20));
  EXPECT_EQ(freed, std::vector<ObjectNumber>{20});
  EXPECT_EQ(record->handle, nullptr) << "the slot comes back empty";
}

TEST_F(ObjectTableTest, FreedAndUnknownNumbersFindNothing) {
  make(3);
  ObjectNumber dynamic = make(OBJECT_NUMBER_ANY, 9);
  EXPECT_EQ(object_find_record<TestRecord>(*table, dynamic)->value, 9);
  object_free(*table, 3);
  object_free(*table, dynamic);
  object_free(*table, dynamic);  // a second free is harmless
  // A stale dynamic number must not reach freed memory (ASan would say).
  for (ObjectNumber n : std::vector<ObjectNumber>{3, dynamic, 12345, -7})
    EXPECT_EQ(object_find(*table, n), nullptr) << n;
  EXPECT_TRUE(iterate().empty());
}

TEST_F(ObjectTableTest, IterationIsStaticAscendingThenDynamicOldestFirst) {
  make(3);
  ObjectNumber a = make(OBJECT_NUMBER_ANY);
  make(1);
  ObjectNumber b = make(OBJECT_NUMBER_ANY);
  ObjectNumber c = make(OBJECT_NUMBER_ANY);
  EXPECT_EQ(iterate(), (std::vector<ObjectNumber>{1, 3, a, b, c}));
  object_free(*table, b);
  EXPECT_EQ(iterate(), (std::vector<ObjectNumber>{1, 3, a, c})) << "the list is relinked";
  object_free(*table, c);
  ObjectNumber d = make(OBJECT_NUMBER_ANY);
  EXPECT_EQ(iterate(), (std::vector<ObjectNumber>{1, 3, a, d})) << "the newest end is relinked";
  // Ending one object may end the next with it (a window and its children).
  EXPECT_EQ(iterate(a, d), (std::vector<ObjectNumber>{1, 3, a}));
  freed.clear();
  object_table_free_all(*table);  // frees each object as the iteration returns it
  EXPECT_EQ(freed, (std::vector<ObjectNumber>{1, 3, a}));
  EXPECT_TRUE(iterate().empty());
}

struct Item {
  void* next;
  int values[3];
};

TEST(RecordPool, BlocksHoldSixteenUntilThePoolHolds512ThenGrowToAtMost256) {
  auto pool = pool_create(sizeof(Item), 16, 256);
  std::vector<int> block_sizes;
  for (int i = 0, total = 0; i < 12000; ++i, total = pool->total) {
    ASSERT_NE(pool_alloc(*pool), nullptr);
    if (pool->total != total) block_sizes.push_back(pool->total - total);
  }
  ASSERT_GE(block_sizes.size(), 40u);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(block_sizes[i], 16) << "block " << i;
  EXPECT_EQ(block_sizes[32], 32) << "512 is the first total for 32";
  for (int size : block_sizes) EXPECT_EQ(size % 16, 0);
  EXPECT_EQ(*std::max_element(block_sizes.begin(), block_sizes.end()), 256);
  EXPECT_EQ(block_sizes.back(), 256);
}

TEST(RecordPool, FreedRecordsAreReusedAndEmptyBlocksReleased) {
  auto pool = pool_create(sizeof(Item), 16, 256);
  void* keeper = pool_alloc(*pool);
  std::vector<void*> records;  // fills block 1, all of block 2, part of block 3; usable (ASan checks)
  for (int i = 0; i < 40; ++i) records.push_back(std::memset(pool_alloc(*pool), 0xab, sizeof(Item)));
  EXPECT_EQ(pool->total, 48);
  pool_free(*pool, records[5]);  // a full block with one record back serves it next
  EXPECT_EQ(pool_alloc(*pool), records[5]);
  for (int i = 15; i < 31; ++i) pool_free(*pool, records[i]);  // all of block 2
  EXPECT_EQ(pool->total, 32);
  for (int i = 31; i < 40; ++i) pool_free(*pool, records[i]);  // block 3: 9 handed out, 9 back
  EXPECT_EQ(pool->total, 16);
  for (int i = 0; i < 15; ++i) pool_free(*pool, records[i]);
  EXPECT_EQ(pool->total, 16) << "the record that never came back keeps the first block";
  pool_free(*pool, keeper);
  EXPECT_EQ(pool->total, 0);
  EXPECT_TRUE(pool->partial_blocks == nullptr && pool->full_blocks == nullptr);
}

}  // namespace
