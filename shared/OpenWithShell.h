#pragma once

#include <QString>

#include "platform/DesktopShell.h"

// Hands a file or a web address to the desktop, which opens it with the application it has for
// it. Nothing is reported: opening a missing file simply shows nothing.
void OpenWithShell(DesktopShell& shell, const QString& target);
