// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a directory into the rows of the explorer list.
#include <charconv>
#include <cstring>
#include <unordered_map>

#include "gadgets/explorer_list_order.h"
#include "gadgets/explorer_list_state.h"

std::string explorer_list_size_text(std::int64_t size) {
  const char* unit = " Bytes";
  if (size > 0xFFFFF) {
    size >>= 20;
    unit = " MB";
  } else if (size > 1023) {
    size >>= 10;
    unit = " KB";
  }
  // to_chars rather than snprintf: this runs for every file of a fill.
  char text[32];
  char* end = std::to_chars(text, text + sizeof text, size).ptr;
  return std::string(text, end) + unit;
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

// The time texts of one fill: files unpacked or copied together share their
// times, and ctime_r costs more than all the rest of a row.
class TimeTexts {
 public:
  const std::string* of(std::time_t time) {
    auto found = texts_.find(time);
    if (found == texts_.end()) found = texts_.emplace(time, explorer_list_time_text(time)).first;
    return &found->second;
  }

 private:
  std::unordered_map<std::time_t, std::string> texts_;  // nodes stay put as it grows
};

ExplorerListEntry fill_entry(const char* disk_name, const struct stat& status, TimeTexts& times) {
  const bool directory = S_ISDIR(status.st_mode);
  ExplorerListEntry entry;
  entry.kind = directory ? ENTRY_DIRECTORY : ENTRY_FILE;
  entry.name = explorer_name(disk_name);
  if (!directory) entry.size_text = explorer_list_size_text(status.st_size);
  entry.attributes = explorer_list_attributes_text(status.st_mode);
  entry.modified = times.of(status.st_mtime);
  entry.accessed = times.of(status.st_atime);
  entry.size = directory || status.st_size < 0 ? 0 : status.st_size;
  entry.modified_time = status.st_mtime;
  entry.accessed_time = status.st_atime;
  return entry;
}

// The entries to show, in reading order; none when dir is null.
std::vector<ExplorerListEntry> fill_read(DIR* dir, const ExplorerListState& state,
                                         std::uint32_t flags, TimeTexts& times) {
  std::vector<ExplorerListEntry> entries;
  struct stat status;
  while (const struct dirent* entry = directory_next_entry(dir, state.directory, state.patterns,
                                                           flags, &status, nullptr))
    entries.push_back(fill_entry(entry->d_name, status, times));
  return entries;
}

// The values of an entry's row, made once per fill and refilled for every
// row. The strings are only lent: the store copies them.
class RowValues {
 public:
  explicit RowValues(GtkListStore* store) : store_(store) {
    for (int c = 0; c < LIST_COLUMN_FIRST_CUSTOM; ++c) {
      columns_[c] = c;
      g_value_init(&values_[c], gtk_tree_model_get_column_type(GTK_TREE_MODEL(store), c));
    }
  }
  ~RowValues() {
    for (GValue& value : values_) g_value_unset(&value);
  }
  RowValues(const RowValues&) = delete;
  RowValues& operator=(const RowValues&) = delete;

  void append(const ExplorerListEntry& entry, GtkTreeIter* row) {
    const bool directory = entry.kind == ENTRY_DIRECTORY;
    const ExplorerIcons& icons = explorer_icons();
    g_value_set_int(&values_[LIST_COLUMN_KIND], entry.kind);
    g_value_set_static_string(&values_[LIST_COLUMN_ICON],
                              directory ? icons.directory : icons.file);
    g_value_set_static_string(&values_[LIST_COLUMN_NAME], entry.name.shown.c_str());
    g_value_set_static_string(&values_[LIST_COLUMN_SIZE_TEXT],
                              directory ? nullptr : entry.size_text.c_str());
    g_value_set_static_string(&values_[LIST_COLUMN_TYPE], directory ? "Directory" : "File");
    g_value_set_static_string(&values_[LIST_COLUMN_ATTRIBUTES], entry.attributes.c_str());
    g_value_set_static_string(&values_[LIST_COLUMN_MODIFIED_TEXT], entry.modified->c_str());
    g_value_set_static_string(&values_[LIST_COLUMN_ACCESSED_TEXT], entry.accessed->c_str());
    g_value_set_uint64(&values_[LIST_COLUMN_SIZE], entry.size);
    g_value_set_int64(&values_[LIST_COLUMN_MODIFIED], entry.modified_time);
    g_value_set_int64(&values_[LIST_COLUMN_ACCESSED], entry.accessed_time);
    gtk_list_store_insert_with_valuesv(store_, row, -1, columns_, values_,
                                       LIST_COLUMN_FIRST_CUSTOM);
  }

 private:
  GtkListStore* store_;
  gint columns_[LIST_COLUMN_FIRST_CUSTOM];
  GValue values_[LIST_COLUMN_FIRST_CUSTOM] = {};
};

// Reads the directory into a new store, detached from the view so that it
// neither redraws nor tracks the selection row by row. The rows are ordered
// in memory and go in in their final order, the sort column set beforehand
// (see explorer_list_order.h). Dropping the old store frees its rows without
// a signal each.
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

  TimeTexts times;
  const std::vector<ExplorerListEntry> entries = fill_read(dir, *state, flags, times);
  const std::vector<const ExplorerListEntry*> rows = explorer_list_order(entries, sort_id, order);
  if (sort_id != GTK_TREE_SORTABLE_UNSORTED_SORT_COLUMN_ID)
    gtk_tree_sortable_set_sort_column_id(GTK_TREE_SORTABLE(store), sort_id, order);
  {
    ExplorerListInOrder in_order(GTK_TREE_MODEL(store));
    GtkTreeIter row;
    if (state->directory != "/" && !(flags & EXPLORER_HIDE_PARENT))
      gtk_list_store_insert_with_values(store, &row, -1, LIST_COLUMN_KIND, ENTRY_PARENT,
                                        LIST_COLUMN_ICON, explorer_icons().parent,
                                        LIST_COLUMN_NAME, "..", -1);
    RowValues values(store);
    for (const ExplorerListEntry* entry : rows) {
      values.append(*entry, &row);
      state->disk_names.remember(row, entry->name);
    }
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
