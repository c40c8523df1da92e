#pragma once

#include <QString>

#include "agent/AgentFlags.h"
#include "agent/AgentView.h"
#include "agent/CommandActions.h"
#include "agent/LibGeneral.h"
#include "agent/LibSerial.h"
#include "agent/LibSettings.h"
#include "agent/ReceiveLoop.h"
#include "agent/modCOMM.h"
#include "platform/MessageBoxes.h"
#include "platform/PresentationProgram.h"
#include "platform/ProfileFiles.h"
#include "platform/SerialDevices.h"
#include "platform/SerialPortMap.h"
#include "platform/TickClock.h"
#include "shared/LibParser.h"
#include "shared/libPresentation.h"

// The desktop services the agent's command path runs on.
struct AgentPlatform {
  SerialDevices& devices;
  SerialPortMap& portMap;
  ProfileFiles& profiles;
  const TickClock& clock;
  MessageBoxes& boxes;
  PresentationProgram& presentationProgram;
};

// The actions that frames are routed to.
struct AgentActions {
  InputActions& input;
  WindowActions& windows;
  SlideShowActions& slides;
  MediaActions& media;
  VolumeActions& volume;
  ProductInfo& product;
};

// The agent's modules, wired together: the settings, the serial layer and link, the dispatcher
// and the receive loop, over one presentation model and one shared scan position. The main
// window's 10 ms timer calls receiveLoop.tmrCOM_Timer().
class AgentContext {
 public:
  AgentContext(const AgentPlatform& platform, AgentView& view, const AgentActions& actions,
               const QString& programFolder);

  AgentFlags flags;
  LibParser parser;
  libPresentation presentation;
  LibSettings settings;
  modCOMM comm;
  LibSerial serial;
  LibGeneral general;
  ReceiveLoop receiveLoop;
};
