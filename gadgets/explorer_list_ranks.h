#ifndef OSTRELM_GADGETS_EXPLORER_LIST_RANKS_H_
#define OSTRELM_GADGETS_EXPLORER_LIST_RANKS_H_

// The name order of a fill, for the one sort that ends it.
//
// GtkListStore sorts by calling the column's compare function about n log n
// times, and reading two names out of the store costs two string copies each
// time: for tens of thousands of rows that outweighs reading the directory.
// The fill knows every name before the store sorts, so it ranks the rows
// itself once, and while an ExplorerListRankScope lives the sort function
// compares the ranks instead.

#include <cstddef>
#include <utility>
#include <vector>

// Row identity (GtkTreeIter user_data) to rank; open addressing, so a lookup
// is one probe into one array in the common case.
class ExplorerListRanks {
 public:
  explicit ExplorerListRanks(std::size_t rows);
  void set(const void* row, int rank);
  bool find(const void* row, int* rank) const;

 private:
  std::size_t slot_of(const void* row) const;
  std::vector<std::pair<const void*, int>> slots_;
  std::size_t mask_;
};

class ExplorerListRankScope {
 public:
  // `order` is the GtkSortType of the sort (GTK_SORT_ASCENDING is 0).
  ExplorerListRankScope(const ExplorerListRanks& ranks, int order);
  ~ExplorerListRankScope();
  ExplorerListRankScope(const ExplorerListRankScope&) = delete;
  ExplorerListRankScope& operator=(const ExplorerListRankScope&) = delete;
};

// The ranks of the running fill's sort, or nullptr, and its order.
const ExplorerListRanks* explorer_list_active_ranks();
int explorer_list_active_order();

#endif  // OSTRELM_GADGETS_EXPLORER_LIST_RANKS_H_
