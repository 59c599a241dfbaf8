// Start-up of the window program. For now a small window with the log that
// the converter will write into; it runs the event loop until the window is
// closed.
#include "gadgets/editor.h"
#include "toolkit/event_queue.h"
#include "toolkit/gadget.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 240;

}  // namespace

int main(int argc, char** argv) {
  toolkit_save_arguments(argc, argv);
  toolkit_init();
  event_queue_init();
  window_layer_init();
  gadget_layer_init();

  const ObjectNumber window = window_open(-1, WINDOW_IGNORE_POSITION, WINDOW_IGNORE_POSITION, kWidth, kHeight,
                                          "Ostrelm", WINDOW_RESIZABLE | WINDOW_MINIMIZE_BUTTON | WINDOW_CENTERED);
  if (window == 0) return 1;
  const ObjectNumber log = editor_create(-1, 0, 0, kWidth, kHeight, EDITOR_READ_ONLY);
  gadget_add_item(log, -1, "Ostrelm converts TZX tape images to TAP files.");
  gadget_add_item(log, -1, "The file browser is on its way; close the window to quit.");

  for (;;) {
    const int kind = wait_event(-1);
    if (kind == EVENT_CLOSE) break;
    if (kind == EVENT_SIZE) {
      gadget_resize(log, GADGET_IGNORE, GADGET_IGNORE, window_width(window), window_height(window));
    }
  }
  window_close_all();
  return 0;
}
