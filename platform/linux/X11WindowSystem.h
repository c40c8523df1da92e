#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

#include "platform/WindowSystem.h"
#include "platform/linux/X11Connection.h"

// The desktop's windows on an X11 display through the window manager's EWMH properties:
// - topLevelWindows: _NET_CLIENT_LIST_STACKING of the root window turned round (EWMH lists it
//   bottom to top), so the top window comes first; a manager without that list gives
//   _NET_CLIENT_LIST in its own order (mapping order, oldest first), the nearest it offers;
// - windowTitle: _NET_WM_NAME (UTF-8), else WM_NAME (STRING as Latin-1, UTF8_STRING, or
//   COMPOUND_TEXT through Xlib's converter); a title longer than kMaxTitleBytes is cut at the
//   last whole character before the bound; a window without either property has the title "";
// - foregroundWindow: _NET_ACTIVE_WINDOW, 0 when none;
// - maximize: an iconified window is mapped again (which de-iconifies it without giving it the
//   focus), then a _NET_WM_STATE request adds both maximized states;
// - minimize: XIconifyWindow (the ICCCM WM_CHANGE_STATE request);
// - raiseWithoutActivating: a _NET_RESTACK_WINDOW request to go above every sibling when the
//   manager supports it, else XRaiseWindow;
// - activate: an iconified window is mapped again, then a _NET_ACTIVE_WINDOW request, stamped
//   with the server's current time as a pager's click would be;
// - showDesktop: a _NET_SHOWING_DESKTOP request to turn the mode on, sent only when the manager
//   lists it in _NET_SUPPORTED.
// The requests carry the source indication 2 (a pager: the user's own wish), which managers with
// focus-stealing prevention honour. Success means the window existed and the request went out;
// the manager carries it out shortly after.
//
// The display is the adapter's own connection (X11Connection: opened on the first call, errors
// trapped, a broken connection makes every call fail). A window that vanished meanwhile makes its
// call fail (BadWindow is caught, never fatal).
//
// Every request is followed by XSync, so a call waits for one round trip to the server and no
// longer; reads are bounded (kMaxTitleBytes, kMaxClientWindows).
class X11WindowSystem final : public WindowSystem {
 public:
  // Longest title read; the rest of a longer one is left out.
  static constexpr long kMaxTitleBytes = 64 * 1024;
  // Most entries of the client list read; a longer list is cut, keeping its top windows.
  static constexpr long kMaxClientWindows = 4096;

  X11WindowSystem();
  ~X11WindowSystem() override;
  X11WindowSystem(const X11WindowSystem&) = delete;
  X11WindowSystem& operator=(const X11WindowSystem&) = delete;

  [[nodiscard]] std::vector<WindowHandle> topLevelWindows() override;
  [[nodiscard]] std::optional<QString> windowTitle(WindowHandle window) override;
  [[nodiscard]] WindowHandle foregroundWindow() override;
  [[nodiscard]] bool maximize(WindowHandle window) override;
  [[nodiscard]] bool minimize(WindowHandle window) override;
  [[nodiscard]] bool raiseWithoutActivating(WindowHandle window) override;
  [[nodiscard]] bool activate(WindowHandle window) override;
  [[nodiscard]] bool showDesktop() override;

 private:
  // The atoms the calls need, interned once when the display opens.
  struct Atoms {
    unsigned long clientList = 0;
    unsigned long clientListStacking = 0;
    unsigned long activeWindow = 0;
    unsigned long wmName = 0;
    unsigned long utf8String = 0;
    unsigned long compoundText = 0;
    unsigned long wmState = 0;
    unsigned long wmStateMaximizedVert = 0;
    unsigned long wmStateMaximizedHorz = 0;
    unsigned long restackWindow = 0;
    unsigned long supported = 0;
    unsigned long iccmWmState = 0;
    unsigned long showingDesktop = 0;
  };
  // A property's value as read, or the absence of it (type 0).
  struct Property {
    unsigned long type = 0;
    int format = 0;
    // The raw items: bytes for format 8, one unsigned long each for format 32.
    QByteArray bytes;
    std::vector<unsigned long> items;
    bool cut = false;
    // How much of the value lies beyond what was read.
    unsigned long bytesAfter = 0;
  };

  // The open, living display, opening it when needed; nullptr when there is none.
  [[nodiscard]] _XDisplay* display();
  // The window's ID when `window` can name a window of the display that still exists.
  [[nodiscard]] std::optional<unsigned long> existingWindow(WindowHandle window);
  // Waits for the server to handle every request sent; true when none of them failed.
  [[nodiscard]] bool syncWithoutError();
  [[nodiscard]] bool sendToRoot(unsigned long window, unsigned long messageType, long data0,
                                long data1, long data2, long data3);
  [[nodiscard]] bool managerSupports(unsigned long atom);
  // The property's value, its absence, or nothing when the read failed (the window is gone).
  [[nodiscard]] std::optional<Property> readProperty(unsigned long window, unsigned long property,
                                                     long maxLongs, long offsetLongs = 0);
  // The managed windows of a root window list, in the order given; nothing when the root has no
  // such list of windows. A list over kMaxClientWindows keeps its end with `keepTheEnd`, else
  // its start.
  [[nodiscard]] std::optional<std::vector<WindowHandle>> rootWindowList(unsigned long property,
                                                                        bool keepTheEnd);
  [[nodiscard]] std::optional<bool> isIconic(unsigned long window);
  // Maps an iconified window again (the manager de-iconifies it); true when it is not iconified
  // or the request went out.
  [[nodiscard]] bool deiconify(unsigned long window);
  // The server's current time, or CurrentTime (0) when it cannot be had.
  [[nodiscard]] unsigned long serverTime();
  [[nodiscard]] std::optional<QString> decodeLegacyTitle(const Property& name);

  X11Connection connection_;
  // The connection's display once the atoms are interned.
  _XDisplay* display_ = nullptr;
  int screen_ = 0;
  unsigned long root_ = 0;
  Atoms atoms_;
  // An unmapped input-only window of our own whose property changes give the server's time.
  unsigned long timeWindow_ = 0;
};
