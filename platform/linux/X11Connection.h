#pragma once

// Xlib types, kept out of the header so that its includers see no X11 names.
struct _XDisplay;

// One adapter's own connection to the X server named by $DISPLAY, opened on first use; without
// a display every use fails, and a later one tries again.
//
// Xlib's protocol and I/O error handlers are process-wide: ours act for the displays of these
// connections and pass every other display's errors on to the handlers installed before (Qt's,
// for example). They are installed when the first connection opens, so a program makes its
// adapters after the toolkit has opened its own connection. A protocol error (a window that
// vanished, a request the server refused) is recorded for syncWithoutError and is never fatal.
// When the connection to the server breaks, libX11 (1.8 and later) calls the display's I/O exit
// handler instead of exiting the process; ours marks the connection lost and every use fails
// from then on. With an older libX11 a broken connection ends the process, as it does for every
// Xlib program, because Xlib's I/O error handler must not return.
class X11Connection {
 public:
  X11Connection() = default;
  ~X11Connection();
  X11Connection(const X11Connection&) = delete;
  X11Connection& operator=(const X11Connection&) = delete;

  // The open, living display, opening it when needed; nullptr when there is none.
  [[nodiscard]] _XDisplay* display();
  [[nodiscard]] bool lost() const { return lost_; }
  // Gives the connection up for good (the server broke it, or it cannot be used).
  void markLost() { lost_ = true; }

  // Waits for the server to handle every request sent; true when none of them failed since the
  // last call.
  [[nodiscard]] bool syncWithoutError();

  [[nodiscard]] int screen() const { return screen_; }
  [[nodiscard]] unsigned long root() const { return root_; }

 private:
  _XDisplay* display_ = nullptr;
  bool lost_ = false;
  int screen_ = 0;
  unsigned long root_ = 0;
};
