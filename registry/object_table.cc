// SPDX-License-Identifier: GPL-3.0-or-later
#include "registry/object_table.h"

#include <cstdlib>
#include <cstring>
#include <limits>

// The two links sit in front of the data of every dynamic record; their size
// keeps the data as aligned as malloc's own result.
struct alignas(std::max_align_t) DynamicRecordLinks {
  DynamicRecordLinks* older;
  DynamicRecordLinks* newer;
};

namespace {

DynamicRecordLinks* links_of(ObjectNumber number) {
  return reinterpret_cast<DynamicRecordLinks*>(number) - 1;
}

void* data_of(DynamicRecordLinks* links) { return links + 1; }

ObjectNumber number_of(DynamicRecordLinks* links) { return object_record_number(data_of(links)); }

bool is_static(const ObjectTable& table, ObjectNumber number) {
  return number >= 0 && number < table.capacity;
}

unsigned char* slot_of(const ObjectTable& table, ObjectNumber number) {
  return table.slots + static_cast<std::size_t>(number) * table.record_size;
}

// Records put their primary handle first; zero there means "no object".
bool record_in_use(const void* record) {
  void* first = nullptr;
  std::memcpy(&first, record, sizeof first);
  return first != nullptr;
}

void* dynamic_new(ObjectTable& table) {
  auto* links = static_cast<DynamicRecordLinks*>(
      std::calloc(1, sizeof(DynamicRecordLinks) + table.record_size));
  if (links == nullptr) return nullptr;
  links->older = table.newest;
  if (table.newest != nullptr) table.newest->newer = links;
  table.newest = links;
  table.live_dynamic.insert(number_of(links));
  return data_of(links);
}

bool grow_to(ObjectTable& table, ObjectNumber number) {
  // The capacity is a 32-bit count; a number past that is no static number.
  if (number > std::numeric_limits<std::int32_t>::max() - static_cast<ObjectNumber>(table.growth)) {
    return false;
  }
  auto capacity = static_cast<std::int32_t>(number + table.growth);
  std::size_t old_bytes = static_cast<std::size_t>(table.capacity) * table.record_size;
  std::size_t new_bytes = static_cast<std::size_t>(capacity) * table.record_size;
  auto* slots = static_cast<unsigned char*>(std::realloc(table.slots, new_bytes));
  if (slots == nullptr) return false;
  std::memset(slots + old_bytes, 0, new_bytes - old_bytes);
  table.slots = slots;
  table.capacity = capacity;
  return true;
}

void dynamic_free(ObjectTable& table, ObjectNumber number) {
  DynamicRecordLinks* links = links_of(number);
  if (links->older != nullptr) links->older->newer = links->newer;
  if (links->newer != nullptr) links->newer->older = links->older;
  if (table.newest == links) table.newest = links->older;
  // Freeing the record that an iteration would return next (not the one it
  // just returned) must not leave the cursor on released memory.
  if (table.iteration_cursor == links) table.iteration_cursor = links->newer;
  table.live_dynamic.erase(number);
  if (table.last_found_dynamic == number) table.last_found_dynamic = 0;
  std::free(links);
}

}  // namespace

ObjectTable::~ObjectTable() {
  while (newest != nullptr) {
    DynamicRecordLinks* older = newest->older;
    std::free(newest);
    newest = older;
  }
  std::free(slots);
}

std::unique_ptr<ObjectTable> object_table_create(std::uint32_t record_size, std::int32_t count,
                                                 ObjectFreeFunction free_function) {
  auto table = std::make_unique<ObjectTable>();
  table->record_size = record_size < sizeof(void*) ? sizeof(void*) : record_size;
  table->growth = static_cast<std::uint32_t>(count > 0 ? count : 1);
  table->free_function = free_function;
  table->slots = static_cast<unsigned char*>(
      std::calloc(static_cast<std::size_t>(table->growth), table->record_size));
  if (table->slots == nullptr) return nullptr;
  table->capacity = static_cast<std::int32_t>(table->growth);
  return table;
}

void* object_new(ObjectTable& table, ObjectNumber number) {
  if (number == OBJECT_NUMBER_ANY) return dynamic_new(table);
  if (number < 0) return nullptr;
  if (number >= table.capacity && !grow_to(table, number)) return nullptr;
  if (table.free_function != nullptr) table.free_function(number);
  // Looked up only now: the free function may have grown the array.
  return slot_of(table, number);
}

void* object_find(const ObjectTable& table, ObjectNumber number) {
  if (is_static(table, number)) {
    unsigned char* slot = slot_of(table, number);
    return record_in_use(slot) ? slot : nullptr;
  }
  if (number != table.last_found_dynamic) {
    if (table.live_dynamic.count(number) == 0) return nullptr;
    table.last_found_dynamic = number;
  }
  void* record = reinterpret_cast<void*>(number);
  return record_in_use(record) ? record : nullptr;
}

void object_free(ObjectTable& table, ObjectNumber number) {
  if (is_static(table, number)) {
    std::memset(slot_of(table, number), 0, table.record_size);
  } else if (table.live_dynamic.count(number) != 0) {
    dynamic_free(table, number);
  }
}

void object_iterate_begin(ObjectTable& table) {
  table.iteration_index = 0;
  DynamicRecordLinks* oldest = table.newest;
  while (oldest != nullptr && oldest->older != nullptr) oldest = oldest->older;
  table.iteration_cursor = oldest;
}

void* object_iterate_next(ObjectTable& table, ObjectNumber* number_out) {
  while (table.iteration_index < table.capacity) {
    ObjectNumber number = table.iteration_index++;
    unsigned char* slot = slot_of(table, number);
    if (record_in_use(slot)) {
      *number_out = number;
      return slot;
    }
  }
  DynamicRecordLinks* links = table.iteration_cursor;
  if (links == nullptr) return nullptr;
  table.iteration_cursor = links->newer;
  *number_out = number_of(links);
  return data_of(links);
}

void object_table_free_all(ObjectTable& table) {
  if (table.free_function == nullptr) return;
  ObjectNumber number = 0;
  object_iterate_begin(table);
  while (object_iterate_next(table, &number) != nullptr) table.free_function(number);
}
