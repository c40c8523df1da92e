#pragma once

#include <QString>

// The start-up values and the flags that several of the agent's modules read and write. The
// agent's context owns one; every module gets it by reference.
struct AgentFlags {
  // Start-up values.
  QString BrowserType;  // "FIREFOX" or "INTERNET_EXPLORER"
  QString AppVersion;
  bool DebugMode = false;

  // The link: started, preselected from the settings, and a frame seen since the last stop.
  bool PortOpen = false;
  bool AutoStartPort = false;
  bool SessionActive = false;

  // Foreground reports.
  bool SuppressWindowNotify = false;
  QString LastWindowTitle;

  // Media reports.
  QString LastMediaName;
  bool IsMuted = false;
  bool IsFullScreen = false;
};
