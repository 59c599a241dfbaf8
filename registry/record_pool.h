// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef OSTRELM_REGISTRY_RECORD_POOL_H_
#define OSTRELM_REGISTRY_RECORD_POOL_H_

// Hands out small fixed-size records from blocks, so that short-lived records
// (queued events) cost no allocation each. A new block holds total/16 records
// (rounded down to a multiple of 16) bounded by the pool's minimum and
// maximum; a block is released as soon as every record it handed out is back.

#include <cstdint>
#include <memory>

struct PoolBlock;

struct RecordPool {
  RecordPool() = default;
  RecordPool(const RecordPool&) = delete;
  RecordPool& operator=(const RecordPool&) = delete;
  // Releases every block, whether or not its records came back.
  ~RecordPool();

  PoolBlock* full_blocks = nullptr;     // blocks with no record left to hand out
  PoolBlock* partial_blocks = nullptr;  // allocation takes from the first of these
  std::int32_t total = 0;               // records held by all blocks together
  std::uint32_t stride = 0;             // bytes per slot: block pointer + record, aligned
  std::int32_t minimum_per_block = 0;
  std::int32_t maximum_per_block = 0;
};

std::unique_ptr<RecordPool> pool_create(std::uint32_t record_size, std::int32_t minimum_per_block,
                                        std::int32_t maximum_per_block);

// A record of at least the record size, or null if memory runs out. A fresh
// record is zero-filled; a reused one keeps what it held when it was freed.
void* pool_alloc(RecordPool& pool);

// Gives back a record that pool_alloc of this pool returned.
void pool_free(RecordPool& pool, void* record);

#endif  // OSTRELM_REGISTRY_RECORD_POOL_H_
