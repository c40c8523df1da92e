#pragma once

#include <QString>

#include "platform/DesktopShell.h"
#include "platform/FileDialogs.h"
#include "platform/KeyboardLocks.h"
#include "platform/MessageBoxes.h"
#include "shared/libPresentation.h"

namespace quenlow {

// The desktop services and the model the editor's window works with, all owned elsewhere.
struct EditorServices {
  MessageBoxes& boxes;
  FileDialogs& dialogs;
  DesktopShell& shell;
  KeyboardLocks& locks;
  libPresentation& presentation;
  // The folder of the running program: the notes folder and the manual lie beneath it.
  QString programFolder;
};

}  // namespace quenlow
