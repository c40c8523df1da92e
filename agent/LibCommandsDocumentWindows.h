#pragma once

#include <QString>
#include <optional>

#include "agent/DocumentWindows.h"
#include "agent/LibCommands.h"
#include "agent/LibNotify.h"

// Document opening's view of the desktop, answered from the agent's window list and foreground
// report.
class LibCommandsDocumentWindows final : public DocumentWindows {
 public:
  LibCommandsDocumentWindows(LibCommands& commands, LibNotify& notify);

  [[nodiscard]] std::optional<WindowHandle> findOpenWindow(const QString& fileName) override;
  void maximizeAndActivate(WindowHandle window) override;
  [[nodiscard]] QString foregroundTitle() override;

 private:
  LibCommands& commands_;
  LibNotify& notify_;
};
