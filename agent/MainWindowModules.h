#pragma once

#include "agent/DebugLog.h"
#include "agent/LibAppREg.h"
#include "agent/LibNotify.h"
#include "agent/LibSerial.h"
#include "agent/LibSettings.h"
#include "agent/ReceiveLoop.h"
#include "agent/libWMP.h"

// The agent's modules that the main window's controls and timers drive, handed to the window once
// they exist.
struct MainWindowModules {
  LibSerial& serial;
  LibSettings& settings;
  ReceiveLoop& receiveLoop;
  LibNotify& notify;
  DebugLog& debugLog;
  libWMP& media;
  LibAppREg& product;
};
