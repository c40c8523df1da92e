#include "tests/support/X11TestWindows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <QString>
#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

namespace {

constexpr long kSourceIndicationPager = 2;
constexpr unsigned long kIconicState = 3;
constexpr int kPollMs = 20;
constexpr long kMaxListLongs = 4096;

}  // namespace

X11TestWindows::X11TestWindows(const QByteArray& displayName) {
  display_ = XOpenDisplay(displayName.isEmpty() ? nullptr : displayName.constData());
  if (display_ != nullptr) {
    root_ = DefaultRootWindow(display_);
  }
}

X11TestWindows::~X11TestWindows() { disconnect(); }

void X11TestWindows::disconnect() {
  if (display_ == nullptr) {
    return;
  }
  for (const Id window : windows_) {
    XDestroyWindow(display_, window);
  }
  windows_.clear();
  XCloseDisplay(display_);
  display_ = nullptr;
}

unsigned long X11TestWindows::atom(const char* name) { return XInternAtom(display_, name, False); }

bool X11TestWindows::waitUntil(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMs);
  while (true) {
    XSync(display_, False);
    if (condition()) {
      return true;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  }
}

void X11TestWindows::setTitle(Id window, const QByteArray& title, TitleKind kind) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(title.constData());
  const int length = static_cast<int>(title.size());
  switch (kind) {
    case TitleKind::Both: {
      const QByteArray latin1 = QString::fromUtf8(title).toLatin1();
      XChangeProperty(display_, window, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(latin1.constData()),
                      static_cast<int>(latin1.size()));
      XChangeProperty(display_, window, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8,
                      PropModeReplace, bytes, length);
      break;
    }
    case TitleKind::LegacyLatin1:
      XChangeProperty(display_, window, XA_WM_NAME, XA_STRING, 8, PropModeReplace, bytes, length);
      break;
    case TitleKind::LegacyCompoundText:
      XChangeProperty(display_, window, XA_WM_NAME, atom("COMPOUND_TEXT"), 8, PropModeReplace,
                      bytes, length);
      break;
  }
  XSync(display_, False);
}

X11TestWindows::Id X11TestWindows::create(const QByteArray& title, TitleKind kind) {
  if (display_ == nullptr) {
    return 0;
  }
  const int screen = DefaultScreen(display_);
  const Window window =
      XCreateSimpleWindow(display_, root_, 40, 40, 320, 200, 1, BlackPixel(display_, screen),
                          WhitePixel(display_, screen));
  windows_.push_back(window);
  setTitle(window, title, kind);
  return window;
}

X11TestWindows::Id X11TestWindows::open(const QByteArray& title, TitleKind kind) {
  const Id window = create(title, kind);
  if (window == 0) {
    return 0;
  }
  XMapWindow(display_, window);
  // Listed first, framed and shown a moment later.
  if (!waitUntil([&] {
        const auto list = clientList();
        return std::find(list.begin(), list.end(), window) != list.end() && isViewable(window);
      })) {
    return 0;
  }
  return window;
}

bool X11TestWindows::destroy(Id window) {
  if (window == 0) {
    return false;
  }
  XDestroyWindow(display_, window);
  windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
  return waitUntil([&] {
    const auto list = clientList();
    return std::find(list.begin(), list.end(), window) == list.end();
  });
}

void X11TestWindows::sendToRoot(Id window, const char* messageType, long data0) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.send_event = True;
  event.xclient.window = window;
  event.xclient.message_type = atom(messageType);
  event.xclient.format = 32;
  event.xclient.data.l[0] = data0;
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

void X11TestWindows::requestClose(Id window) {
  sendToRoot(window, "_NET_CLOSE_WINDOW", CurrentTime);
  XSync(display_, False);
}

X11TestWindows::Id X11TestWindows::findByTitle(const QByteArray& title) {
  for (const Id window : clientList()) {
    for (const char* name : {"_NET_WM_NAME", "WM_NAME"}) {
      Atom type = None;
      int format = 0;
      unsigned long count = 0;
      unsigned long after = 0;
      unsigned char* data = nullptr;
      const bool read =
          XGetWindowProperty(display_, window, atom(name), 0, 1024, False, AnyPropertyType, &type,
                             &format, &count, &after, &data) == Success;
      const QByteArray value =
          read && data != nullptr && format == 8
              ? QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count))
              : QByteArray();
      if (data != nullptr) {
        XFree(data);
      }
      if (!value.isEmpty()) {
        if (value == title) {
          return window;
        }
        break;
      }
    }
  }
  return 0;
}

bool X11TestWindows::activate(Id window) {
  sendToRoot(window, "_NET_ACTIVE_WINDOW", kSourceIndicationPager);
  return waitUntil([&] { return activeWindow() == window; });
}

bool X11TestWindows::raise(Id window) {
  XRaiseWindow(display_, window);
  return waitUntil([&] {
    const auto order = stackingOrder();
    return !order.empty() && order.back() == window;
  });
}

bool X11TestWindows::setShowingDesktop(bool showing) {
  sendToRoot(root_, "_NET_SHOWING_DESKTOP", showing ? 1 : 0);
  return waitUntil([&] { return showingDesktop() == showing; });
}

X11TestWindows::Id X11TestWindows::inputFocus() {
  Window focused = None;
  int revertTo = 0;
  XGetInputFocus(display_, &focused, &revertTo);
  return focused;
}

bool X11TestWindows::isViewable(Id window) {
  XWindowAttributes attributes{};
  return XGetWindowAttributes(display_, window, &attributes) != 0 &&
         attributes.map_state == IsViewable;
}

bool X11TestWindows::showingDesktop() {
  const auto showing = rootWindowList("_NET_SHOWING_DESKTOP");
  return !showing.empty() && showing.front() != 0;
}

std::optional<X11TestWindows::RootList> X11TestWindows::rootList(const char* property) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  std::optional<RootList> list;
  if (XGetWindowProperty(display_, root_, atom(property), 0, kMaxListLongs, False, AnyPropertyType,
                         &type, &format, &count, &after, &data) == Success &&
      type != None && format == 32) {
    const auto* values = reinterpret_cast<const unsigned long*>(data);
    list = RootList{type, std::vector<unsigned long>(values, values + count)};
  }
  if (data != nullptr) {
    XFree(data);
  }
  return list;
}

void X11TestWindows::setRootList(const char* property, const std::optional<RootList>& list) {
  if (!list) {
    XDeleteProperty(display_, root_, atom(property));
  } else {
    // Xlib takes 32-bit items as longs.
    std::vector<long> items(list->items.begin(), list->items.end());
    XChangeProperty(display_, root_, atom(property), list->type, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(items.data()),
                    static_cast<int>(items.size()));
  }
  XSync(display_, False);
}

void X11TestWindows::watchRootMessages() {
  // The manager redirects the root's substructure; a client message sent for either mask also
  // reaches those who only listen.
  XSelectInput(display_, root_, SubstructureNotifyMask);
  XSync(display_, False);
}

std::vector<long> X11TestWindows::rootMessages(const char* messageType) {
  XSync(display_, False);
  const unsigned long type = atom(messageType);
  std::vector<long> firstItems;
  // Everything else the root reports (windows mapped, moved) is of no interest here.
  while (XPending(display_) > 0) {
    XEvent event{};
    XNextEvent(display_, &event);
    if (event.type == ClientMessage && event.xclient.message_type == type &&
        event.xclient.format == 32) {
      firstItems.push_back(event.xclient.data.l[0]);
    }
  }
  return firstItems;
}

std::vector<unsigned long> X11TestWindows::rootWindowList(const char* property) {
  return atomsOf(root_, property);
}

// The 32-bit items of a property (atoms, windows or cardinals).
std::vector<unsigned long> X11TestWindows::atomsOf(Id window, const char* property) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  std::vector<unsigned long> items;
  if (XGetWindowProperty(display_, window, atom(property), 0, kMaxListLongs, False, AnyPropertyType,
                         &type, &format, &count, &after, &data) == Success &&
      data != nullptr && format == 32) {
    const auto* values = reinterpret_cast<const unsigned long*>(data);
    items.assign(values, values + count);
  }
  if (data != nullptr) {
    XFree(data);
  }
  return items;
}

X11TestWindows::Id X11TestWindows::activeWindow() {
  const auto active = rootWindowList("_NET_ACTIVE_WINDOW");
  return active.empty() ? 0 : active.front();
}

bool X11TestWindows::isMaximizedBothWays(Id window) {
  const auto states = atomsOf(window, "_NET_WM_STATE");
  const auto has = [&](const char* name) {
    return std::find(states.begin(), states.end(), atom(name)) != states.end();
  };
  return has("_NET_WM_STATE_MAXIMIZED_VERT") && has("_NET_WM_STATE_MAXIMIZED_HORZ");
}

bool X11TestWindows::isFullScreen(Id window) {
  const auto states = atomsOf(window, "_NET_WM_STATE");
  XWindowAttributes attributes{};
  return std::find(states.begin(), states.end(), atom("_NET_WM_STATE_FULLSCREEN")) !=
             states.end() &&
         XGetWindowAttributes(display_, window, &attributes) != 0 &&
         attributes.width == DisplayWidth(display_, DefaultScreen(display_)) &&
         attributes.height == DisplayHeight(display_, DefaultScreen(display_));
}

bool X11TestWindows::isIconic(Id window) {
  const auto state = atomsOf(window, "WM_STATE");
  return !state.empty() && state.front() == kIconicState;
}

std::vector<X11TestWindows::Id> X11TestWindows::clientList() {
  return rootWindowList("_NET_CLIENT_LIST");
}

std::vector<X11TestWindows::Id> X11TestWindows::stackingOrder() {
  return rootWindowList("_NET_CLIENT_LIST_STACKING");
}

X11TestWindows::Id X11TestWindows::frameOf(Id window) {
  Id current = window;
  while (true) {
    Window root = None;
    Window parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display_, current, &root, &parent, &children, &count) == 0) {
      return 0;
    }
    if (children != nullptr) {
      XFree(children);
    }
    if (parent == root || parent == None) {
      return current;
    }
    current = parent;
  }
}

std::vector<X11TestWindows::Id> X11TestWindows::ownWindowsAsStacked() {
  std::vector<std::pair<Id, Id>> frames;  // frame, window
  for (const Id window : windows_) {
    frames.emplace_back(frameOf(window), window);
  }
  Window root = None;
  Window parent = None;
  Window* children = nullptr;
  unsigned int count = 0;
  std::vector<Id> order;
  if (XQueryTree(display_, root_, &root, &parent, &children, &count) == 0) {
    return order;
  }
  // The root's children come bottom to top.
  for (unsigned int i = 0; i < count; ++i) {
    for (const auto& [frame, window] : frames) {
      if (frame == children[i]) {
        order.push_back(window);
      }
    }
  }
  if (children != nullptr) {
    XFree(children);
  }
  return order;
}
