// The window program as a user meets it: it opens its window, and a close
// request from the window manager ends it with status 0.
#include <gtest/gtest.h>
// After gtest: Xlib defines macros (None, Bool) that clash with its names.
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

// A viewable top-level window named "Ostrelm", or None.
Window find_main_window(Display* display) {
  Window root, parent, found = None;
  Window* children = nullptr;
  unsigned count = 0;
  XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
  for (unsigned i = 0; i < count && found == None; ++i) {
    XWindowAttributes attributes;
    char* name = nullptr;
    if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
        XFetchName(display, children[i], &name) && name && std::string(name) == "Ostrelm")
      found = children[i];
    if (name) XFree(name);
  }
  if (children) XFree(children);
  return found;
}

// Polls `step` every 20 ms until it is true or 20 s pass.
template <typename Step>
bool poll(Step step) {
  for (int waited = 0; !step(); waited += 20) {
    if (waited >= 20000) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

TEST(OstrelmDemo, OpensItsWindowAndEndsOnACloseRequest) {
  const std::string program = std::string(std::getenv("OSTRELM_BUILD_DIR")) + "/ostrelm";
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  const pid_t child = fork();
  if (child == 0) {
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  Window window = None;
  const auto ended = [&] { return waitpid(child, &status, WNOHANG) == child; };
  const bool appeared = poll([&] { return (window = find_main_window(display)) != None; });
  if (appeared) std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const bool ended_early = ended();
  if (appeared && !ended_early) {
    XEvent event{};
    event.xclient = XClientMessageEvent{ClientMessage, 0, False, display, window,
                                        XInternAtom(display, "WM_PROTOCOLS", False), 32, {}};
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
  }
  const bool ended_on_request = ended_early || poll(ended);
  if (!ended_on_request) { kill(child, SIGKILL); waitpid(child, nullptr, 0); }
  XCloseDisplay(display);
  ASSERT_TRUE(appeared) << "no window appeared";
  EXPECT_FALSE(ended_early) << "the program ended on its own";
  ASSERT_TRUE(ended_on_request) << "the program did not end after the close request";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

}  // namespace
