#include "platform/linux/X11Connection.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// Xlib's handlers are process-wide; this registry tells which display belongs to which
// connection and records the first protocol error each display got since it was last looked at.
// The programs are single-threaded, as Xlib's handlers assume here.
struct TrapEntry {
  Display* display = nullptr;
  X11Connection* owner = nullptr;
  int firstError = Success;
};

std::vector<TrapEntry>& trapEntries() {
  static std::vector<TrapEntry> entries;
  return entries;
}

TrapEntry* trapFor(Display* display) {
  for (TrapEntry& entry : trapEntries()) {
    if (entry.display == display) {
      return &entry;
    }
  }
  return nullptr;
}

XErrorHandler previousErrorHandler = nullptr;
XIOErrorHandler previousIOErrorHandler = nullptr;

int onProtocolError(Display* display, XErrorEvent* event) {
  if (TrapEntry* entry = trapFor(display)) {
    if (entry->firstError == Success) {
      entry->firstError = event->error_code;
    }
    return 0;
  }
  return previousErrorHandler != nullptr ? previousErrorHandler(display, event) : 0;
}

int onIOError(Display* display) {
  if (TrapEntry* entry = trapFor(display)) {
    entry->owner->markLost();
    // libX11 1.8 goes on to the display's exit handler, which returns to the caller.
    return 0;
  }
  return previousIOErrorHandler != nullptr ? previousIOErrorHandler(display) : 0;
}

void onIOErrorExit(Display* display, void* /*userData*/) {
  if (TrapEntry* entry = trapFor(display)) {
    entry->owner->markLost();
  }
}

void installHandlersOnce() {
  static bool installed = false;
  if (installed) {
    return;
  }
  installed = true;
  previousErrorHandler = XSetErrorHandler(onProtocolError);
  previousIOErrorHandler = XSetIOErrorHandler(onIOError);
}

}  // namespace

X11Connection::~X11Connection() {
  if (display_ == nullptr) {
    return;
  }
  // A lost connection is not closed: XCloseDisplay would write to it again. Its memory stays.
  if (!lost_) {
    XCloseDisplay(display_);
  }
  auto& entries = trapEntries();
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [this](const TrapEntry& entry) { return entry.owner == this; }),
                entries.end());
}

Display* X11Connection::display() {
  if (lost_) {
    return nullptr;
  }
  if (display_ != nullptr) {
    return display_;
  }
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || name[0] == '\0') {
    return nullptr;
  }
  installHandlersOnce();
  Display* display = XOpenDisplay(name);
  if (display == nullptr) {
    return nullptr;
  }
  trapEntries().push_back(TrapEntry{display, this, Success});
  XSetIOErrorExitHandler(display, onIOErrorExit, nullptr);
  display_ = display;
  screen_ = DefaultScreen(display);
  root_ = RootWindow(display, screen_);
  return display_;
}

bool X11Connection::syncWithoutError() {
  if (display_ == nullptr || lost_) {
    return false;
  }
  TrapEntry* entry = trapFor(display_);
  XSync(display_, False);
  if (lost_ || entry == nullptr) {
    return false;
  }
  const bool clean = entry->firstError == Success;
  entry->firstError = Success;
  return clean;
}
