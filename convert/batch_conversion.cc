// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert/batch_conversion.h"

#include <string>

#include "convert/string_ops.h"
#include "convert/tzx_to_tap.h"
#include "gadgets/editor.h"
#include "gadgets/explorer_flag.h"
#include "gadgets/explorer_list.h"
#include "runtime/file_names.h"
#include "toolkit/gadget.h"

namespace {

bool row_is_selected(ObjectNumber file_list, int row) {
  return (gadget_get_item_state(file_list, row) & ITEM_STATE_SELECTED) != 0;
}

bool name_is_tape(const std::string& name) { return string_lower(path_extension(name)) == "tzx"; }

}  // namespace

void convert_selected_files(ObjectNumber file_list, ObjectNumber log_editor, const BatchGoOn& go_on,
                            const ConversionKeepAlive& keep_alive) {
  gadget_clear_items(log_editor);
  gadget_hide(file_list, 1);
  const MessageSink to_log = [log_editor](const std::string& line) { editor_add_file_line(log_editor, line); };
  // The count is asked before every row: nothing in the batch is meant to
  // change the list, but a row that vanished must not be read past the end.
  for (int row = 0; row <= gadget_count_items(file_list) - 1; ++row) {
    if (go_on && !go_on()) break;
    if (!row_is_selected(file_list, row)) continue;
    const std::string name = explorer_list_item_name(file_list, row);
    if (!name_is_tape(name)) continue;
    convert_tzx_to_tap(explorer_list_item_path(file_list, row), to_log, keep_alive);
    editor_add_file_line(log_editor, name);
  }
  gadget_hide(file_list, 0);
}
