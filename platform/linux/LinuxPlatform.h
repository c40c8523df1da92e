#pragma once

#include "platform/linux/AlsaAudioMixers.h"
#include "platform/linux/FlockInstanceLock.h"
#include "platform/linux/IniProfileFiles.h"
#include "platform/linux/LibreOfficePresentationProgram.h"
#include "platform/linux/LinuxDesktopShell.h"
#include "platform/linux/LinuxSerialPortMap.h"
#include "platform/linux/MonotonicTickClock.h"
#include "platform/linux/MpvMediaPlayers.h"
#include "platform/linux/QtEventPump.h"
#include "platform/linux/QtFileDialogs.h"
#include "platform/linux/QtMessageBoxes.h"
#include "platform/linux/QtTrayIcon.h"
#include "platform/linux/TerminationSignals.h"
#include "platform/linux/TermiosSerialDevices.h"
#include "platform/linux/VirtualRegistry.h"
#include "platform/linux/X11InputSynthesis.h"
#include "platform/linux/X11WindowSystem.h"

// Every desktop service of a Linux X11 session, built once: a program's main hands these to the
// system's code, and so do the tests and benchmarks that run against the real desktop. Nothing
// here reaches the desktop before it is first used: the X display and the office are opened by
// the first call that needs them, so building this costs nothing.
class LinuxPlatform {
 public:
  // The machine's serial ports and those of CORVANE_SERIAL_PORTS.
  LinuxPlatform();
  // The serial ports of `portMap` (a test's pseudo-terminals) instead.
  explicit LinuxPlatform(const LinuxSerialPortMap& portMap);

  LinuxSerialPortMap portMap;
  TermiosSerialDevices devices;
  IniProfileFiles profiles;
  MonotonicTickClock clock;
  QtEventPump pump;
  QtMessageBoxes boxes;
  QtFileDialogs dialogs;
  LibreOfficePresentationProgram office;
  X11WindowSystem windows;
  LinuxDesktopShell shell;
  // The registry keys the programs use, over the desktop's facts (its browser, its autostart).
  VirtualRegistry registry{shell};
  // Keys, buttons and the pointer; also the key-sequence sender.
  X11InputSynthesis input;
  TerminationSignals termination;
  FlockInstanceLock instanceLock;
  // Needs the application object: build the platform after it.
  QtTrayIcon tray;
  // The speakers' master volume on the default sound card.
  AlsaAudioMixers mixers;
  // Players on libmpv over the user's music folder (or CORVANE_MEDIA_LIBRARY), with the
  // desktop's own audio and video outputs.
  MpvMediaPlayers players{MpvPlayerOptions{}};
};
