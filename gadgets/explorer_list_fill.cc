// Reading a directory into the rows of the explorer list.
#include <inttypes.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "gadgets/explorer_list_ranks.h"
#include "gadgets/explorer_list_state.h"

std::string explorer_list_size_text(std::int64_t size) {
  char text[32];
  if (size <= 1023)
    std::snprintf(text, sizeof text, "%" PRId64 " Bytes", size);
  else if (size <= 0xFFFFF)
    std::snprintf(text, sizeof text, "%" PRId64 " KB", size >> 10);
  else
    std::snprintf(text, sizeof text, "%" PRId64 " MB", size >> 20);
  return text;
}

std::string explorer_list_attributes_text(mode_t mode) {
  static const mode_t bits[9] = {0400, 0200, 0100, 040, 020, 010, 04, 02, 01};
  static const char letters[] = "rwxrwxrwx";
  std::string text(10, '-');
  if (S_ISDIR(mode)) text[0] = 'd';
  for (int i = 0; i < 9; ++i)
    if (mode & bits[i]) text[i + 1] = letters[i];
  return text;
}

std::string explorer_list_time_text(std::time_t time) {
  char text[64];
  // ctime_r fails for years it cannot write; such an entry keeps its row.
  if (!ctime_r(&time, text)) return {};
  std::size_t length = std::strlen(text);
  if (length > 0 && text[length - 1] == '\n') text[length - 1] = '\0';
  return text;
}

std::string explorer_list_parent_directory(const std::string& directory) {
  if (directory.size() <= 2) return directory;
  std::size_t slash = directory.rfind('/', directory.size() - 2);
  return slash == std::string::npos ? directory : directory.substr(0, slash + 1);
}

namespace {

// One row of a fill as the name sort sees it.
struct FillRow {
  const void* id;
  int kind;
  std::string name;
};

// The time text of the previous row: files unpacked or copied together share
// their times, and ctime_r is a good part of a row's cost.
struct TimeTextCache {
  std::time_t time = 0;
  std::string text;
  bool valid = false;

  const std::string& of(std::time_t t) {
    if (!valid || t != time) {
      time = t;
      text = explorer_list_time_text(t);
      valid = true;
    }
    return text;
  }
};

// Where the rows of one fill go: directories after ".." in reading order,
// files behind them.
struct FillCursor {
  GtkListStore* store = nullptr;
  ExplorerDiskNames* disk_names = nullptr;
  int directory_position = 0;
  std::vector<FillRow> rows;
  TimeTextCache modified;
  TimeTextCache accessed;
};

void fill_add_entry(FillCursor& cursor, const char* disk_name, const struct stat& status) {
  const ExplorerIcons& icons = explorer_icons();
  bool directory = S_ISDIR(status.st_mode);
  int kind = directory ? ENTRY_DIRECTORY : ENTRY_FILE;
  std::string name = explorer_display_name(disk_name);
  std::string attributes = explorer_list_attributes_text(status.st_mode);
  const std::string& modified = cursor.modified.of(status.st_mtime);
  const std::string& accessed = cursor.accessed.of(status.st_atime);
  std::string size_text = directory ? std::string() : explorer_list_size_text(status.st_size);
  guint64 size = directory || status.st_size < 0 ? 0 : status.st_size;
  int position = directory ? cursor.directory_position++ : -1;
  GtkTreeIter row;
  gtk_list_store_insert_with_values(
      cursor.store, &row, position, LIST_COLUMN_KIND, kind, LIST_COLUMN_ICON,
      directory ? icons.directory : icons.file, LIST_COLUMN_NAME, name.c_str(),
      LIST_COLUMN_SIZE_TEXT, directory ? nullptr : size_text.c_str(), LIST_COLUMN_TYPE,
      directory ? "Directory" : "File", LIST_COLUMN_ATTRIBUTES, attributes.c_str(),
      LIST_COLUMN_MODIFIED_TEXT, modified.c_str(), LIST_COLUMN_ACCESSED_TEXT, accessed.c_str(),
      LIST_COLUMN_SIZE, size, LIST_COLUMN_MODIFIED, static_cast<gint64>(status.st_mtime),
      LIST_COLUMN_ACCESSED, static_cast<gint64>(status.st_atime), -1);
  cursor.disk_names->remember(row, disk_name, name);
  cursor.rows.push_back({row.user_data, kind, std::move(name)});
}

// The order explorer_sort_compare gives by name, ascending: ".." first, then
// kinds, then the bytes of the names.
void fill_rank_by_name(std::vector<FillRow>& rows, const void* parent, ExplorerListRanks& ranks) {
  std::sort(rows.begin(), rows.end(), [](const FillRow& a, const FillRow& b) {
    if (a.kind != b.kind) return a.kind < b.kind;
    return std::strcmp(a.name.c_str(), b.name.c_str()) < 0;
  });
  if (parent) ranks.set(parent, -1);
  for (std::size_t i = 0; i < rows.size(); ++i) ranks.set(rows[i].id, static_cast<int>(i));
}

// Reads the directory into a new store. Detached and unsorted, every row is a
// cheap append: the view neither redraws nor tracks the selection row by row,
// and the store sorts once at the end instead of placing each row by
// comparisons. Dropping the old store frees its rows without a signal each.
void fill_rows(GadgetRecord* record, DIR* dir) {
  ExplorerListState* state = explorer_list_state(record);
  GtkTreeView* view = explorer_list_view(record);
  std::uint32_t flags = explorer_flags(record->widget);
  gint sort_id = GTK_TREE_SORTABLE_UNSORTED_SORT_COLUMN_ID;
  GtkSortType order = GTK_SORT_ASCENDING;
  gtk_tree_sortable_get_sort_column_id(GTK_TREE_SORTABLE(state->store), &sort_id, &order);
  // A sort chosen by clicking a header lasts until the next fill of a list
  // sorted by name; other lists keep it.
  if (flags & EXPLORER_SORT_BY_NAME) {
    sort_id = LIST_COLUMN_NAME;
    order = GTK_SORT_ASCENDING;
  }
  GtkListStore* store = explorer_list_store_renew(record, 0);
  if (!store) return;
  gtk_tree_view_set_model(view, nullptr);
  state->store = store;
  state->disk_names.clear();

  FillCursor cursor;
  cursor.store = store;
  cursor.disk_names = &state->disk_names;
  GtkTreeIter parent{};
  if (state->directory != "/" && !(flags & EXPLORER_HIDE_PARENT)) {
    gtk_list_store_insert_with_values(store, &parent, -1, LIST_COLUMN_KIND, ENTRY_PARENT,
                                      LIST_COLUMN_ICON, explorer_icons().parent,
                                      LIST_COLUMN_NAME, "..", -1);
    cursor.directory_position = 1;
  }
  struct stat status;
  while (const struct dirent* entry =
             dir ? directory_next_entry(dir, state->directory, state->patterns, flags, &status,
                                        nullptr)
                 : nullptr)
    fill_add_entry(cursor, entry->d_name, status);

  if (sort_id == LIST_COLUMN_NAME) {
    ExplorerListRanks ranks(cursor.rows.size() + 1);
    fill_rank_by_name(cursor.rows, parent.user_data, ranks);
    ExplorerListRankScope scope(ranks, order);
    gtk_tree_sortable_set_sort_column_id(GTK_TREE_SORTABLE(store), sort_id, order);
  } else if (sort_id != GTK_TREE_SORTABLE_UNSORTED_SORT_COLUMN_ID) {
    gtk_tree_sortable_set_sort_column_id(GTK_TREE_SORTABLE(store), sort_id, order);
  }
  gtk_tree_view_set_model(view, GTK_TREE_MODEL(store));
  g_object_unref(store);
}

void fill_remember_directory(GtkWidget* view, ExplorerListState* state,
                             const std::string& directory, const PatternList& patterns) {
  state->directory = directory;
  state->patterns = patterns;
  // Mirrored for anyone reading the widget's data; the state holds the truth.
  g_object_set_data_full(G_OBJECT(view), EXPLORER_KEY_DIRECTORY, g_strdup(directory.c_str()),
                         g_free);
  g_object_set_data(G_OBJECT(view), EXPLORER_KEY_PATTERN, &state->patterns);
}

void fill_directory(GadgetRecord* record, const std::string& directory,
                    const PatternList& patterns, bool may_fall_back) {
  ExplorerListState* state = explorer_list_state(record);
  DirectoryStream dir = directory_open(directory);
  if (!dir) {
    // An unreadable directory shows the root instead, once; if even the root
    // cannot be read the list is empty and says it shows "/".
    if (may_fall_back) {
      fill_directory(record, "/", patterns, false);
      return;
    }
  }
  fill_remember_directory(record->widget, state, directory, patterns);
  fill_rows(record, dir.get());
}

}  // namespace

void explorer_list_fill(GadgetRecord* record, const char* text) {
  ExplorerListState* state = explorer_list_state(record);
  std::string directory = state->directory;
  PatternList patterns = state->patterns;
  split_directory_pattern(text ? text : "", directory, patterns);
  if (directory.empty()) return;
  fill_directory(record, directory, patterns, directory != "/");
}

std::string explorer_list_get_text(GadgetRecord* record) {
  // The generic operation decodes UTF-8; a directory whose name is not valid
  // UTF-8 is handed over in its display form.
  return explorer_display_name(explorer_list_state(record)->directory.c_str());
}
