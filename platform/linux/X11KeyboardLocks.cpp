#include "platform/linux/X11KeyboardLocks.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

bool X11KeyboardLocks::capsLockOn() {
  Display* display = connection_.display();
  if (display == nullptr) {
    return false;
  }
  if (!xkbChecked_) {
    xkbChecked_ = true;
    int opcode = 0;
    int event = 0;
    int error = 0;
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    xkbPresent_ = XkbQueryExtension(display, &opcode, &event, &error, &major, &minor) == True;
  }
  if (!xkbPresent_) {
    return false;
  }
  // The atom exists once a keymap names the indicator; it is not made here for nothing.
  const Atom capsName = XInternAtom(display, "Caps Lock", True);
  if (capsName != None) {
    int index = 0;
    Bool on = False;
    if (XkbGetNamedIndicator(display, capsName, &index, &on, nullptr, nullptr) == True) {
      return on == True;
    }
  }
  XkbStateRec state{};
  if (XkbGetState(display, XkbUseCoreKbd, &state) != Success) {
    return false;
  }
  return (state.locked_mods & LockMask) != 0;
}
