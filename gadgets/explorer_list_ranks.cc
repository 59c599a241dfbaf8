#include "gadgets/explorer_list_ranks.h"

#include <cstdint>

namespace {

const ExplorerListRanks* active_ranks = nullptr;
int active_order = 0;

}  // namespace

ExplorerListRanks::ExplorerListRanks(std::size_t rows) {
  std::size_t size = 16;
  while (size < rows * 2) size *= 2;
  slots_.assign(size, {nullptr, 0});
  mask_ = size - 1;
}

std::size_t ExplorerListRanks::slot_of(const void* row) const {
  // Rows are heap blocks: the low bits say nothing, the multiplication
  // spreads the rest.
  auto bits = reinterpret_cast<std::uintptr_t>(row) >> 4;
  return static_cast<std::size_t>((bits * 0x9E3779B97F4A7C15ull) >> 20) & mask_;
}

void ExplorerListRanks::set(const void* row, int rank) {
  std::size_t slot = slot_of(row);
  while (slots_[slot].first && slots_[slot].first != row) slot = (slot + 1) & mask_;
  slots_[slot] = {row, rank};
}

bool ExplorerListRanks::find(const void* row, int* rank) const {
  for (std::size_t slot = slot_of(row); slots_[slot].first; slot = (slot + 1) & mask_) {
    if (slots_[slot].first == row) {
      *rank = slots_[slot].second;
      return true;
    }
  }
  return false;
}

ExplorerListRankScope::ExplorerListRankScope(const ExplorerListRanks& ranks, int order) {
  active_ranks = &ranks;
  active_order = order;
}

ExplorerListRankScope::~ExplorerListRankScope() { active_ranks = nullptr; }

const ExplorerListRanks* explorer_list_active_ranks() { return active_ranks; }

int explorer_list_active_order() { return active_order; }
