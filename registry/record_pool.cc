// SPDX-License-Identifier: GPL-3.0-or-later
#include "registry/record_pool.h"

#include <cstddef>
#include <cstdlib>

// The first word of a slot names its block while the record is handed out and
// links the free list while it is not, so a freed record keeps its contents.
struct PoolSlot {
  void* link;
};

struct alignas(std::max_align_t) PoolBlock {
  PoolBlock* next;
  PoolBlock** back_link;  // the link that points at this block
  PoolSlot* free_list;
  std::int32_t capacity;
  std::int32_t fresh_index;  // slots ever handed out
  std::int32_t free_count;   // of those, how many wait on the free list
};

namespace {

PoolSlot* slot_at(const RecordPool& pool, PoolBlock* block, std::int32_t index) {
  auto* first = reinterpret_cast<unsigned char*>(block + 1);
  return reinterpret_cast<PoolSlot*>(first + static_cast<std::size_t>(index) * pool.stride);
}

void* record_of(PoolSlot* slot) { return reinterpret_cast<unsigned char*>(slot) + sizeof(PoolBlock*); }

PoolSlot* slot_of(void* record) {
  return reinterpret_cast<PoolSlot*>(static_cast<unsigned char*>(record) - sizeof(PoolBlock*));
}

void block_unlink(PoolBlock* block) {
  *block->back_link = block->next;
  if (block->next != nullptr) block->next->back_link = block->back_link;
}

void block_push(PoolBlock** list, PoolBlock* block) {
  block->next = *list;
  block->back_link = list;
  if (*list != nullptr) (*list)->back_link = &block->next;
  *list = block;
}

std::int32_t next_block_capacity(const RecordPool& pool) {
  std::int32_t count = (pool.total >> 4) & ~15;
  if (count < pool.minimum_per_block) return pool.minimum_per_block;
  if (count > pool.maximum_per_block) return pool.maximum_per_block;
  return count;
}

PoolBlock* block_allocate(const RecordPool& pool, std::int32_t capacity) {
  void* memory = std::calloc(1, sizeof(PoolBlock) + static_cast<std::size_t>(capacity) * pool.stride);
  auto* block = static_cast<PoolBlock*>(memory);
  if (block != nullptr) block->capacity = capacity;
  return block;
}

void* slot_hand_out(PoolBlock* block, PoolSlot* slot) {
  slot->link = block;
  return record_of(slot);
}

void* pool_alloc_from_new_block(RecordPool& pool) {
  PoolBlock* block = block_allocate(pool, next_block_capacity(pool));
  // Memory is short: one record may still fit where a whole block did not.
  if (block == nullptr) block = block_allocate(pool, 1);
  if (block == nullptr) return nullptr;
  pool.total += block->capacity;
  block->fresh_index = 1;
  block_push(block->capacity >= 2 ? &pool.partial_blocks : &pool.full_blocks, block);
  return slot_hand_out(block, slot_at(pool, block, 0));
}

void free_block_list(PoolBlock* block) {
  while (block != nullptr) {
    PoolBlock* next = block->next;
    std::free(block);
    block = next;
  }
}

}  // namespace

RecordPool::~RecordPool() {
  free_block_list(full_blocks);
  free_block_list(partial_blocks);
}

std::unique_ptr<RecordPool> pool_create(std::uint32_t record_size, std::int32_t minimum_per_block,
                                        std::int32_t maximum_per_block) {
  auto pool = std::make_unique<RecordPool>();
  constexpr std::uint32_t pointer = sizeof(void*);
  pool->stride = (record_size + pointer + pointer - 1) / pointer * pointer;
  pool->minimum_per_block = minimum_per_block < 1 ? 1 : minimum_per_block;
  pool->maximum_per_block =
      maximum_per_block < pool->minimum_per_block ? pool->minimum_per_block : maximum_per_block;
  return pool;
}

void* pool_alloc(RecordPool& pool) {
  PoolBlock* block = pool.partial_blocks;
  if (block == nullptr) return pool_alloc_from_new_block(pool);
  PoolSlot* slot = nullptr;
  if (block->free_count == 0) {
    slot = slot_at(pool, block, block->fresh_index++);
  } else {
    slot = block->free_list;
    block->free_list = static_cast<PoolSlot*>(slot->link);
    block->free_count--;
  }
  if (block->free_count == 0 && block->fresh_index == block->capacity) {
    block_unlink(block);
    block_push(&pool.full_blocks, block);
  }
  return slot_hand_out(block, slot);
}

void pool_free(RecordPool& pool, void* record) {
  PoolSlot* slot = slot_of(record);
  auto* block = static_cast<PoolBlock*>(slot->link);
  slot->link = block->free_list;
  block->free_list = slot;
  block->free_count++;
  if (block->free_count == block->fresh_index) {
    block_unlink(block);
    pool.total -= block->capacity;
    std::free(block);
  } else if (block->free_count == 1 && block->fresh_index == block->capacity) {
    block_unlink(block);
    block_push(&pool.partial_blocks, block);
  }
}
