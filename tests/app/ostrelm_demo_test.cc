// The window program as a user meets it: it opens its window, and a close
// request from the window manager ends it with status 0.
#include <gtest/gtest.h>
// After gtest: Xlib defines macros (None, Bool) that clash with its names.
#include <X11/Xlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

bool has_name(Display* display, Window window, const char* name) {
  char* window_name = nullptr;
  if (!XFetchName(display, window, &window_name) || !window_name) return false;
  const bool same = std::string(window_name) == name;
  XFree(window_name);
  return same;
}

// A mapped top-level window with that name, or None.
Window find_window(Display* display, const char* name) {
  Window root_out, parent;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root_out, &parent, &children, &count)) return None;
  Window found = None;
  for (unsigned i = 0; i < count && found == None; ++i) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
        has_name(display, children[i], name)) {
      found = children[i];
    }
  }
  if (children) XFree(children);
  return found;
}

void request_close(Display* display, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XFlush(display);
}

// Waits for the child to end; its wait status, or -1 after the time-out.
int wait_child(pid_t child, int timeout_ms) {
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeout_ms);
  int status = 0;
  while (Clock::now() < end) {
    if (waitpid(child, &status, WNOHANG) == child) return status;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return -1;
}

TEST(OstrelmDemo, OpensItsWindowAndEndsOnACloseRequest) {
  const char* build = std::getenv("OSTRELM_BUILD_DIR");
  ASSERT_NE(build, nullptr);
  const std::string program = std::string(build) + "/ostrelm";
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  Window window = None;
  const Clock::time_point end = Clock::now() + std::chrono::seconds(20);
  while (window == None && Clock::now() < end) {
    window = find_window(display, "Ostrelm");
    if (window == None) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (window == None) kill(child, SIGKILL);
  ASSERT_NE(window, None) << "no window appeared";
  EXPECT_EQ(wait_child(child, 300), -1) << "the program ended on its own";

  request_close(display, window);
  const int status = wait_child(child, 20000);
  if (status == -1) {
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
  }
  ASSERT_NE(status, -1) << "the program did not end after the close request";
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  XCloseDisplay(display);
}

}  // namespace
