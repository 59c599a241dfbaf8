#include "toolkit/object_table.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct TestRecord {
  void* handle;
  int value;
};

void* const kHandle = reinterpret_cast<void*>(0x1234);

// The free function sees the table through this pointer, as the real layers
// see theirs through a layer-wide variable.
ObjectTable* current_table = nullptr;
std::vector<ObjectNumber> freed;

void record_free(ObjectNumber number) {
  if (object_find(*current_table, number) == nullptr) return;
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
    record->handle = kHandle;
    record->value = value;
    return number == OBJECT_NUMBER_ANY ? object_record_number(record) : number;
  }

  std::vector<ObjectNumber> iterate() {
    std::vector<ObjectNumber> numbers;
    ObjectNumber number = 0;
    object_iterate_begin(*table);
    while (object_iterate_next(*table, &number) != nullptr) numbers.push_back(number);
    return numbers;
  }

  std::unique_ptr<ObjectTable> table;
};

TEST_F(ObjectTableTest, StaticNumberBeyondCapacityGrowsByTheInitialCount) {
  make(2, 22);
  make(20, 7);
  EXPECT_EQ(table->capacity, 36);
  EXPECT_EQ(object_find_record<TestRecord>(*table, 2)->value, 22) << "records survive the move";
  EXPECT_EQ(object_find_record<TestRecord>(*table, 20)->value, 7);
  for (ObjectNumber n = 16; n < 36; ++n) {
    if (n != 20) {
      EXPECT_EQ(object_find(*table, n), nullptr) << n;
    }
  }
}

TEST_F(ObjectTableTest, ReusingAStaticNumberEndsTheOldObjectFirst) {
  make(5, 1);
  EXPECT_TRUE(freed.empty());
  auto* record = static_cast<TestRecord*>(object_new(*table, 5));
  EXPECT_EQ(freed, std::vector<ObjectNumber>{5});
  EXPECT_EQ(record->handle, nullptr) << "the slot comes back empty";
  EXPECT_EQ(object_find(*table, 5), nullptr);
}

TEST_F(ObjectTableTest, FreedNumbersFindNothing) {
  make(3);
  ObjectNumber dynamic = make(OBJECT_NUMBER_ANY, 9);
  EXPECT_GT(dynamic, 36);
  EXPECT_EQ(object_find_record<TestRecord>(*table, dynamic)->value, 9);
  object_free(*table, 3);
  object_free(*table, dynamic);
  EXPECT_EQ(object_find(*table, 3), nullptr);
  // A stale dynamic number must not reach released memory (ASan would say).
  EXPECT_EQ(object_find(*table, dynamic), nullptr);
  object_free(*table, dynamic);  // a second free is harmless
  EXPECT_TRUE(iterate().empty());
  EXPECT_EQ(object_find(*table, 12345), nullptr) << "an unknown number";
  EXPECT_EQ(object_find(*table, -7), nullptr);
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
}

TEST_F(ObjectTableTest, FreeingEachObjectAsItIsReturnedVisitsEveryObjectOnce) {
  make(0);
  make(7);
  ObjectNumber a = make(OBJECT_NUMBER_ANY);
  ObjectNumber b = make(OBJECT_NUMBER_ANY);
  object_table_free_all(*table);
  EXPECT_EQ(freed, (std::vector<ObjectNumber>{0, 7, a, b}));
  EXPECT_TRUE(iterate().empty());
}

TEST_F(ObjectTableTest, FreeingTheNextDynamicObjectDuringIterationSkipsIt) {
  ObjectNumber a = make(OBJECT_NUMBER_ANY);
  ObjectNumber b = make(OBJECT_NUMBER_ANY);
  ObjectNumber c = make(OBJECT_NUMBER_ANY);
  std::vector<ObjectNumber> seen;
  ObjectNumber number = 0;
  object_iterate_begin(*table);
  while (object_iterate_next(*table, &number) != nullptr) {
    seen.push_back(number);
    // Ending one object may end another with it (a window and its children).
    if (number == a) object_free(*table, b);
  }
  EXPECT_EQ(seen, (std::vector<ObjectNumber>{a, c}));
}

}  // namespace
