#pragma once

#include <QByteArray>
#include <functional>
#include <optional>
#include <vector>

struct _XDisplay;

// A small X client of its own for the tests: it opens top-level windows for the window manager
// to manage, changes them as an application would, and reads back what the manager made of
// them through the EWMH and ICCCM properties. Its windows go when it does. Every wait is bounded
// (kPatienceMs), so a manager that does not do its part fails a test instead of hanging it.
class X11TestWindows {
 public:
  using Id = unsigned long;
  // How long the manager may take to carry out a request; a bound, never a measure of speed.
  static constexpr int kPatienceMs = 5000;

  // How the title is stored.
  enum class TitleKind {
    // WM_NAME as Latin-1 STRING (characters beyond it as "?") and _NET_WM_NAME as UTF-8.
    Both,
    // Only WM_NAME, of type STRING, the given bytes as they are.
    LegacyLatin1,
    // Only WM_NAME, of type COMPOUND_TEXT, the given bytes as they are.
    LegacyCompoundText,
  };

  // On the named display; on $DISPLAY when the name is empty.
  explicit X11TestWindows(const QByteArray& displayName = {});
  ~X11TestWindows();
  X11TestWindows(const X11TestWindows&) = delete;
  X11TestWindows& operator=(const X11TestWindows&) = delete;

  [[nodiscard]] bool isOpen() const { return display_ != nullptr; }

  // A new managed window (listed in _NET_CLIENT_LIST and on the screen); 0 when the manager did
  // not take it.
  [[nodiscard]] Id open(const QByteArray& title, TitleKind kind = TitleKind::Both);
  // A new titled window, not shown, so that no window manager needs to take it.
  [[nodiscard]] Id create(const QByteArray& title, TitleKind kind = TitleKind::Both);
  // Leaves the server, which destroys the windows.
  void disconnect();
  void setTitle(Id window, const QByteArray& title, TitleKind kind = TitleKind::Both);
  // Destroys the window at once and waits until the manager has let go of it.
  [[nodiscard]] bool destroy(Id window);

  // Asks the manager to activate the window, as a pager would, and waits until it is active.
  [[nodiscard]] bool activate(Id window);
  // Asks the manager to raise the window, as an application would, and waits until it is on top.
  [[nodiscard]] bool raise(Id window);
  // Asks the manager to close the window, as a task bar's close does (_NET_CLOSE_WINDOW): the
  // manager asks the window's program to close it.
  void requestClose(Id window);
  // The first managed window whose title (_NET_WM_NAME, else WM_NAME) is `title`; 0 for none.
  [[nodiscard]] Id findByTitle(const QByteArray& title);
  // Asks the manager to show the desktop or to leave that mode, and waits until it says so.
  [[nodiscard]] bool setShowingDesktop(bool showing);
  [[nodiscard]] Id activeWindow();
  // The window that holds the keyboard focus (XGetInputFocus).
  [[nodiscard]] Id inputFocus();
  // Mapped and all its ancestors too: on the screen, unless something covers it.
  [[nodiscard]] bool isViewable(Id window);
  [[nodiscard]] bool showingDesktop();
  [[nodiscard]] bool isMaximizedBothWays(Id window);
  [[nodiscard]] bool isIconic(Id window);
  // The manager's full-screen state on the window, and the window covering the whole screen.
  [[nodiscard]] bool isFullScreen(Id window);
  [[nodiscard]] std::vector<Id> clientList();
  // Bottom to top, as the manager lists them (_NET_CLIENT_LIST_STACKING).
  [[nodiscard]] std::vector<Id> stackingOrder();
  // This client's open windows bottom to top, as the server stacks their frames: what the user
  // sees, whether or not the manager's list has caught up (IceWM's lags behind a raise that
  // comes with an activation).
  [[nodiscard]] std::vector<Id> ownWindowsAsStacked();

  // A list property of the root window (atoms, windows) as the manager wrote it.
  struct RootList {
    unsigned long type = 0;
    std::vector<unsigned long> items;
  };
  // Nothing when the root has no such property.
  [[nodiscard]] std::optional<RootList> rootList(const char* property);
  // Writes the list in the manager's place; nothing deletes the property.
  void setRootList(const char* property, const std::optional<RootList>& list);
  [[nodiscard]] unsigned long atom(const char* name);

  // From now on, the client messages sent to the root window (requests to the manager) are kept
  // for rootMessages.
  void watchRootMessages();
  // The first data item of each message of the type sent to the root since the last call.
  [[nodiscard]] std::vector<long> rootMessages(const char* messageType);

  // Polls `condition` (after letting the server catch up) until it holds or kPatienceMs pass.
  [[nodiscard]] bool waitUntil(const std::function<bool()>& condition);

 private:
  [[nodiscard]] std::vector<unsigned long> rootWindowList(const char* property);
  [[nodiscard]] std::vector<unsigned long> atomsOf(Id window, const char* property);
  // The root's child that holds the window: the manager's frame around it.
  [[nodiscard]] Id frameOf(Id window);
  void sendToRoot(Id window, const char* messageType, long data0);

  _XDisplay* display_ = nullptr;
  unsigned long root_ = 0;
  std::vector<Id> windows_;
};
