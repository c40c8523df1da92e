#pragma once

#include <QString>

#include "agent/AgentView.h"
#include "agent/CommandActions.h"
#include "agent/DebugLog.h"
#include "agent/DefaultBrowser.h"
#include "agent/LibCommands.h"
#include "agent/LibCommandsDocumentWindows.h"
#include "agent/LibGeneral.h"
#include "agent/LibNotify.h"
#include "agent/LibSerial.h"
#include "agent/LibSettings.h"
#include "agent/LibSlideMgr.h"
#include "agent/ReceiveLoop.h"
#include "agent/modCOMM.h"
#include "platform/DesktopShell.h"
#include "platform/EventPump.h"
#include "platform/MessageBoxes.h"
#include "platform/PresentationProgram.h"
#include "platform/ProfileFiles.h"
#include "platform/Registry.h"
#include "platform/SerialDevices.h"
#include "platform/SerialPortMap.h"
#include "platform/TickClock.h"
#include "platform/WindowSystem.h"
#include "shared/LibParser.h"
#include "shared/libPresentation.h"

// The desktop services the agent's command path runs on.
struct AgentPlatform {
  SerialDevices& devices;
  SerialPortMap& portMap;
  ProfileFiles& profiles;
  const TickClock& clock;
  EventPump& pump;
  MessageBoxes& boxes;
  PresentationProgram& presentationProgram;
  WindowSystem& windows;
  DesktopShell& shell;
  Registry& registry;
};

// The actions that frames are routed to and that live outside the command path.
struct AgentActions {
  InputActions& input;
  MediaActions& media;
  VolumeActions& volume;
  ProductInfo& product;
};

// The agent's modules, wired together: the settings, the serial layer and link, the dispatcher
// with its reply path and the receive loop, the window list and foreground reports, and the
// slide-show commands, over one presentation model and one shared scan position. Each module is
// built on those before it; the dispatcher is connected to the modules it routes to once they
// all exist. The main window's timers drive them (frmMain).
class AgentContext {
 public:
  AgentContext(const AgentPlatform& platform, AgentView& view, const AgentActions& actions,
               const QString& programFolder);

  LibParser parser;
  libPresentation presentation;
  LibSettings settings;
  DebugLog debugLog;
  DefaultBrowser browser;
  modCOMM comm;
  LibSerial serial;
  LibGeneral general;
  ReceiveLoop receiveLoop;
  LibNotify notify;
  LibCommands commands;
  LibCommandsDocumentWindows documentWindows;
  LibSlideMgr slides;
};
