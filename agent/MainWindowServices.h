#pragma once

#include <QString>

#include "platform/DesktopShell.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBoxes.h"

// The desktop services the main window uses itself, there before the agent's modules: the window
// is built first, since the modules show their state on it.
struct MainWindowServices {
  MessageBoxes& boxes;
  FileDialogs& dialogs;
  DesktopShell& shell;
  // The folder of the running program: the manual lies there.
  QString programFolder;
};
