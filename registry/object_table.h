// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_REGISTRY_OBJECT_TABLE_H_
#define OSTRELM_REGISTRY_OBJECT_TABLE_H_

// Maps the numbers that name windows, gadgets and open files to their
// fixed-size records.
//
// A number is either static (0 up to the capacity minus 1, chosen by the
// application; the record is a slot of the table's array) or dynamic (handed
// out for -1: the address of a record allocated on its own).
//
// Record types are plain structs whose first member is the object's primary
// handle (a pointer): a record whose first word is zero holds no object. All
// record memory starts zero-filled.
//
// Records of static numbers move when the table grows, so holders keep the
// number, never the record's address, across calls that may create objects.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <unordered_set>

#include "registry/object_number.h"

// Ends the object with this number (closes the window, frees the gadget,
// closes the file) and then calls object_free on it. Must do nothing when no
// object has the number.
using ObjectFreeFunction = void (*)(ObjectNumber number);

struct DynamicRecordLinks;

struct ObjectTable {
  ObjectTable() = default;
  ObjectTable(const ObjectTable&) = delete;
  ObjectTable& operator=(const ObjectTable&) = delete;
  // Releases the table's memory without calling the free function: the
  // objects' own resources are the owners' business.
  ~ObjectTable();

  std::uint32_t record_size = 0;
  std::uint32_t growth = 0;
  std::int32_t capacity = 0;
  DynamicRecordLinks* newest = nullptr;
  ObjectFreeFunction free_function = nullptr;
  std::int32_t iteration_index = 0;
  DynamicRecordLinks* iteration_cursor = nullptr;
  unsigned char* slots = nullptr;
  // Every dynamic number handed out and not yet freed, so that a stale number
  // (say, of a gadget named in an event that was queued before the gadget
  // went) finds nothing instead of reading released memory.
  std::unordered_set<ObjectNumber> live_dynamic;
  // The dynamic number that object_find found last, which it then takes
  // without asking the set: files are looked up on every read and write, and
  // a conversion reads mostly from one file. Cleared when that object goes;
  // 0 (always a static number) for none.
  mutable ObjectNumber last_found_dynamic = 0;
};

// A table of `count` empty static slots of `record_size` bytes; it grows by
// `count` slots at a time. `free_function` may be null.
std::unique_ptr<ObjectTable> object_table_create(std::uint32_t record_size, std::int32_t count,
                                                 ObjectFreeFunction free_function);

// The zero-filled record for a new object, or null if memory runs out.
// For OBJECT_NUMBER_ANY a new dynamic record, whose address is the number
// (see object_record_number). For a static number the slot, after the free
// function has ended any object that had that number.
void* object_new(ObjectTable& table, ObjectNumber number);

// The number of a record that object_new returned for OBJECT_NUMBER_ANY.
inline ObjectNumber object_record_number(const void* record) {
  return reinterpret_cast<ObjectNumber>(record);
}

// The record of the object with that number, or null: a free static slot, an
// unknown number or a dynamic number already freed all find nothing.
void* object_find(const ObjectTable& table, ObjectNumber number);

// object_find, typed.
template <typename Record>
Record* object_find_record(const ObjectTable& table, ObjectNumber number) {
  static_assert(std::is_trivially_copyable<Record>::value, "records are raw, zero-filled memory");
  return static_cast<Record*>(object_find(table, number));
}

// Ends the table's bookkeeping for the number: a static slot is zero-filled,
// a dynamic record is unlinked and released. Does not call the free function.
void object_free(ObjectTable& table, ObjectNumber number);

// Visits every object: static numbers ascending, then dynamic objects oldest
// first. The object just returned may be freed before the next call. One
// iteration per table at a time.
void object_iterate_begin(ObjectTable& table);
// The next record (its number stored in *number_out), or null at the end.
void* object_iterate_next(ObjectTable& table, ObjectNumber* number_out);

// Calls the free function for every object of the table.
void object_table_free_all(ObjectTable& table);

#endif  // OSTRELM_REGISTRY_OBJECT_TABLE_H_
