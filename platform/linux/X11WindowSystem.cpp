#include "platform/linux/X11WindowSystem.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <QByteArray>
#include <algorithm>
#include <array>
#include <utility>

namespace {

// X resource IDs have 29 bits; a larger handle cannot name a window.
constexpr WindowHandle kMaxResourceId = 0x1FFFFFFFU;
constexpr long kNetWmStateAdd = 1;
// "A pager or another tool acting for the user", so that the manager does not treat the request
// as an application stealing the focus.
constexpr long kSourceIndicationPager = 2;
constexpr long kIconicState = 3;  // ICCCM WM_STATE
constexpr long kNoSibling = 0;

// The text before the last character that a cut at the byte bound split.
QByteArray withoutSplitCharacter(QByteArray bytes) {
  const qsizetype size = bytes.size();
  for (qsizetype back = 1; back <= 4 && back <= size; ++back) {
    const auto byte = static_cast<unsigned char>(bytes[size - back]);
    if ((byte & 0xC0U) == 0x80U) {
      continue;  // a continuation byte: the lead byte is further back
    }
    qsizetype length = 1;
    if ((byte & 0xE0U) == 0xC0U) {
      length = 2;
    } else if ((byte & 0xF0U) == 0xE0U) {
      length = 3;
    } else if ((byte & 0xF8U) == 0xF0U) {
      length = 4;
    }
    if (length > back) {
      bytes.truncate(size - back);
    }
    break;
  }
  return bytes;
}

}  // namespace

X11WindowSystem::X11WindowSystem() = default;

X11WindowSystem::~X11WindowSystem() = default;

Display* X11WindowSystem::display() {
  Display* display = connection_.display();
  if (display == nullptr) {
    return nullptr;
  }
  if (display_ != nullptr) {
    return display_;
  }
  std::array<const char*, 13> names{"_NET_CLIENT_LIST",
                                    "_NET_CLIENT_LIST_STACKING",
                                    "_NET_ACTIVE_WINDOW",
                                    "_NET_WM_NAME",
                                    "UTF8_STRING",
                                    "COMPOUND_TEXT",
                                    "_NET_WM_STATE",
                                    "_NET_WM_STATE_MAXIMIZED_VERT",
                                    "_NET_WM_STATE_MAXIMIZED_HORZ",
                                    "_NET_RESTACK_WINDOW",
                                    "_NET_SUPPORTED",
                                    "WM_STATE",
                                    "_NET_SHOWING_DESKTOP"};
  std::array<Atom, names.size()> atoms{};
  // Xlib's prototype takes non-const names; it does not write to them.
  if (XInternAtoms(display, const_cast<char**>(names.data()), static_cast<int>(names.size()), False,
                   atoms.data()) == 0 ||
      connection_.lost()) {
    connection_.markLost();
    return nullptr;
  }
  atoms_ = Atoms{atoms[0], atoms[1], atoms[2], atoms[3],  atoms[4],  atoms[5], atoms[6],
                 atoms[7], atoms[8], atoms[9], atoms[10], atoms[11], atoms[12]};
  screen_ = connection_.screen();
  root_ = connection_.root();
  display_ = display;
  return display_;
}

bool X11WindowSystem::syncWithoutError() { return connection_.syncWithoutError(); }

std::optional<unsigned long> X11WindowSystem::existingWindow(WindowHandle window) {
  if (window == 0 || window > kMaxResourceId || display() == nullptr) {
    return std::nullopt;
  }
  const auto id = static_cast<Window>(window);
  if (id == root_ || !syncWithoutError()) {
    return std::nullopt;
  }
  XWindowAttributes attributes{};
  const Status status = XGetWindowAttributes(display_, id, &attributes);
  if (!syncWithoutError() || status == 0) {
    return std::nullopt;
  }
  return id;
}

std::optional<X11WindowSystem::Property> X11WindowSystem::readProperty(unsigned long window,
                                                                       unsigned long property,
                                                                       long maxLongs,
                                                                       long offsetLongs) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long bytesAfter = 0;
  unsigned char* data = nullptr;
  const int status =
      XGetWindowProperty(display_, window, property, offsetLongs, maxLongs, False, AnyPropertyType,
                         &type, &format, &count, &bytesAfter, &data);
  const bool clean = syncWithoutError();
  if (status != Success || !clean) {
    if (data != nullptr) {
      XFree(data);
    }
    return std::nullopt;
  }
  Property result;
  result.type = type;
  result.format = format;
  result.cut = bytesAfter > 0;
  result.bytesAfter = bytesAfter;
  if (data != nullptr && type != None) {
    if (format == 8) {
      // The bound keeps count within kMaxTitleBytes, far below qsizetype's range.
      result.bytes = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count));
    } else if (format == 32) {
      // Xlib hands out 32-bit items as longs.
      const auto* items = reinterpret_cast<const unsigned long*>(data);
      result.items.assign(items, items + count);
    }
  }
  if (data != nullptr) {
    XFree(data);
  }
  return result;
}

std::optional<std::vector<WindowHandle>> X11WindowSystem::rootWindowList(unsigned long property,
                                                                         bool keepTheEnd) {
  const auto isWindowList = [](const std::optional<Property>& list) {
    return list && list->type == XA_WINDOW && list->format == 32;
  };
  auto list = readProperty(root_, property, kMaxClientWindows);
  if (!isWindowList(list)) {
    return std::nullopt;
  }
  if (keepTheEnd && list->cut) {
    const auto total = static_cast<long>(list->items.size() + list->bytesAfter / 4);
    auto end = readProperty(root_, property, kMaxClientWindows, total - kMaxClientWindows);
    // A list that shrank meanwhile is taken from its start, as read.
    if (isWindowList(end)) {
      list = std::move(end);
    }
  }
  std::vector<WindowHandle> windows;
  windows.reserve(list->items.size());
  for (const unsigned long id : list->items) {
    if (id != 0 && id <= kMaxResourceId) {
      windows.push_back(id);
    }
  }
  return windows;
}

std::vector<WindowHandle> X11WindowSystem::topLevelWindows() {
  if (display() == nullptr || !syncWithoutError()) {
    return {};
  }
  // Bottom to top; the top ones matter most, so a cut keeps them.
  if (auto stacking = rootWindowList(atoms_.clientListStacking, true)) {
    std::reverse(stacking->begin(), stacking->end());
    return *std::move(stacking);
  }
  // Turning the mapping order round would not give the stacking order either: it stays the
  // manager's, oldest first.
  return rootWindowList(atoms_.clientList, false).value_or(std::vector<WindowHandle>{});
}

std::optional<QString> X11WindowSystem::decodeLegacyTitle(const Property& name) {
  if (name.type == None) {
    return QString();
  }
  if (name.format != 8) {
    return std::nullopt;
  }
  if (name.type == atoms_.utf8String) {
    return QString::fromUtf8(name.cut ? withoutSplitCharacter(name.bytes) : name.bytes);
  }
  if (name.type != atoms_.compoundText) {
    // STRING is Latin-1 by the ICCCM; an unknown encoding reads best as the same.
    return QString::fromLatin1(name.bytes);
  }
  QByteArray bytes = name.bytes;
  XTextProperty text{};
  text.value = reinterpret_cast<unsigned char*>(bytes.data());
  text.encoding = name.type;
  text.format = 8;
  text.nitems = static_cast<unsigned long>(bytes.size());
  char** list = nullptr;
  int listCount = 0;
  const int converted = Xutf8TextPropertyToTextList(display_, &text, &list, &listCount);
  std::optional<QString> title;
  // A positive result counts characters without an equivalent; the rest converted.
  if (converted >= Success && list != nullptr) {
    title = QString();
    for (int i = 0; i < listCount; ++i) {
      title->append(QString::fromUtf8(list[i]));
    }
  }
  if (list != nullptr) {
    XFreeStringList(list);
  }
  return title;
}

std::optional<QString> X11WindowSystem::windowTitle(WindowHandle window) {
  const auto id = existingWindow(window);
  if (!id) {
    return std::nullopt;
  }
  constexpr long kTitleLongs = kMaxTitleBytes / 4;
  const auto netName = readProperty(*id, atoms_.wmName, kTitleLongs);
  if (!netName) {
    return std::nullopt;
  }
  if (netName->type == atoms_.utf8String && netName->format == 8) {
    return QString::fromUtf8(netName->cut ? withoutSplitCharacter(netName->bytes) : netName->bytes);
  }
  const auto name = readProperty(*id, XA_WM_NAME, kTitleLongs);
  if (!name) {
    return std::nullopt;
  }
  return decodeLegacyTitle(*name);
}

WindowHandle X11WindowSystem::foregroundWindow() {
  if (display() == nullptr || !syncWithoutError()) {
    return 0;
  }
  const auto active = readProperty(root_, atoms_.activeWindow, 1);
  if (!active || active->type != XA_WINDOW || active->format != 32 || active->items.empty()) {
    return 0;
  }
  const unsigned long id = active->items.front();
  return id <= kMaxResourceId ? id : 0;
}

bool X11WindowSystem::sendToRoot(unsigned long window, unsigned long messageType, long data0,
                                 long data1, long data2, long data3) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.serial = 0;
  event.xclient.send_event = True;
  event.xclient.display = display_;
  event.xclient.window = window;
  event.xclient.message_type = messageType;
  event.xclient.format = 32;
  event.xclient.data.l[0] = data0;
  event.xclient.data.l[1] = data1;
  event.xclient.data.l[2] = data2;
  event.xclient.data.l[3] = data3;
  event.xclient.data.l[4] = 0;
  const Status sent =
      XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
  return syncWithoutError() && sent != 0;
}

bool X11WindowSystem::managerSupports(unsigned long atom) {
  // A long list of features is normal; 1024 covers every manager's.
  constexpr long kMaxSupported = 1024;
  const auto supported = readProperty(root_, atoms_.supported, kMaxSupported);
  return supported && supported->format == 32 &&
         std::find(supported->items.begin(), supported->items.end(), atom) !=
             supported->items.end();
}

std::optional<bool> X11WindowSystem::isIconic(unsigned long window) {
  const auto state = readProperty(window, atoms_.iccmWmState, 2);
  if (!state) {
    return std::nullopt;
  }
  return state->format == 32 && !state->items.empty() &&
         state->items.front() == static_cast<unsigned long>(kIconicState);
}

bool X11WindowSystem::deiconify(unsigned long window) {
  const auto iconic = isIconic(window);
  if (!iconic) {
    return false;
  }
  if (!*iconic) {
    return true;
  }
  XMapWindow(display_, window);
  return syncWithoutError();
}

unsigned long X11WindowSystem::serverTime() {
  if (timeWindow_ == 0) {
    XSetWindowAttributes attributes{};
    attributes.event_mask = PropertyChangeMask;
    const Window window = XCreateWindow(display_, root_, -1, -1, 1, 1, 0, 0, InputOnly,
                                        CopyFromParent, CWEventMask, &attributes);
    if (!syncWithoutError()) {
      return CurrentTime;
    }
    timeWindow_ = window;
  }
  // Appending nothing leaves the property as it was, yet the server reports the change with its
  // time; the round trip brings that event into the queue.
  static const unsigned char kNothing = 0;
  XChangeProperty(display_, timeWindow_, XA_WM_NAME, XA_STRING, 8, PropModeAppend, &kNothing, 0);
  if (!syncWithoutError()) {
    return CurrentTime;
  }
  unsigned long time = CurrentTime;
  XEvent event{};
  while (XCheckTypedWindowEvent(display_, timeWindow_, PropertyNotify, &event) != 0) {
    time = event.xproperty.time;
  }
  return time;
}

bool X11WindowSystem::maximize(WindowHandle window) {
  const auto id = existingWindow(window);
  if (!id || !deiconify(*id)) {
    return false;
  }
  return sendToRoot(*id, atoms_.wmState, kNetWmStateAdd,
                    static_cast<long>(atoms_.wmStateMaximizedVert),
                    static_cast<long>(atoms_.wmStateMaximizedHorz), kSourceIndicationPager);
}

bool X11WindowSystem::minimize(WindowHandle window) {
  const auto id = existingWindow(window);
  if (!id) {
    return false;
  }
  const Status sent = XIconifyWindow(display_, *id, screen_);
  return syncWithoutError() && sent != 0;
}

bool X11WindowSystem::raiseWithoutActivating(WindowHandle window) {
  const auto id = existingWindow(window);
  if (!id) {
    return false;
  }
  if (managerSupports(atoms_.restackWindow)) {
    return sendToRoot(*id, atoms_.restackWindow, kSourceIndicationPager, kNoSibling, Above, 0);
  }
  XRaiseWindow(display_, *id);
  return syncWithoutError();
}

bool X11WindowSystem::activate(WindowHandle window) {
  const auto id = existingWindow(window);
  if (!id || !deiconify(*id)) {
    return false;
  }
  // A real time, not CurrentTime: some managers log a request without one as a buggy client's.
  constexpr long kNoActiveWindowOfOurs = 0;
  return sendToRoot(*id, atoms_.activeWindow, kSourceIndicationPager,
                    static_cast<long>(serverTime()), kNoActiveWindowOfOurs, 0);
}

bool X11WindowSystem::showDesktop() {
  if (display() == nullptr || !syncWithoutError() || !managerSupports(atoms_.showingDesktop)) {
    return false;
  }
  constexpr long kShowing = 1;
  return sendToRoot(root_, atoms_.showingDesktop, kShowing, 0, 0, 0);
}
