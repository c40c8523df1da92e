#include "agent/LibCommandsDocumentWindows.h"

#include <cstddef>

LibCommandsDocumentWindows::LibCommandsDocumentWindows(LibCommands& commands, LibNotify& notify)
    : commands_(commands), notify_(notify) {}

std::optional<WindowHandle> LibCommandsDocumentWindows::findOpenWindow(const QString& fileName) {
  commands_.ListTopLevelWindows();
  const qint32 entry = commands_.FindWindowEntry(fileName);
  // The index is checked against the list it came from, so a list rebuilt in between cannot
  // make it point past the end.
  if (entry < 0 || static_cast<std::size_t>(entry) >= commands_.WindowListBox.size()) {
    return std::nullopt;
  }
  return commands_.WindowListBox[static_cast<std::size_t>(entry)].handle;
}

void LibCommandsDocumentWindows::maximizeAndActivate(WindowHandle window) {
  commands_.MaximizeWindow(window);
  // Shown maximised is also the window with the focus: raising alone would leave the keys going
  // to the window that had it.
  commands_.ActivateWindow(window);
}

QString LibCommandsDocumentWindows::foregroundTitle() {
  return notify_.GetWindowTitle(commands_.ForegroundWindow());
}
