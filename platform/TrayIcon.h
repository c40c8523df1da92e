#pragma once

#include <QIcon>
#include <QString>
#include <functional>

// The program's one icon in the desktop's notification area (the system tray). The icon reports
// what the mouse did on it as the mouse message numbers the program's handlers take: the
// numbers the original desktop put in place of the pointer's horizontal position.
class TrayIcon {
 public:
  // The mouse messages an icon can report.
  enum MouseMessage : int {
    kMouseMove = 512,
    kLeftButtonDown = 513,
    kLeftButtonUp = 514,
    kLeftButtonDoubleClick = 515,
    kRightButtonDown = 516,
    kRightButtonUp = 517,
    kRightButtonDoubleClick = 518,
    kMiddleButtonDown = 519,
    kMiddleButtonUp = 520,
    kMiddleButtonDoubleClick = 521,
  };
  using MouseHandler = std::function<void(int message)>;

  virtual ~TrayIcon() = default;

  // Something on the desktop shows tray icons now. Without it an added icon shows nowhere, so a
  // window hidden in favour of the icon could not be brought back; it may come and go while the
  // program runs (a panel restarted, removed, or a desktop without one).
  [[nodiscard]] virtual bool hostAvailable() const = 0;
  // Puts the icon in the tray with its picture and tip. Fails, changing nothing, when the icon
  // is there already.
  [[nodiscard]] virtual bool add(const QIcon& icon, const QString& tip) = 0;
  // The icon's picture and tip change; fails when the icon is not there.
  [[nodiscard]] virtual bool modify(const QIcon& icon, const QString& tip) = 0;
  // Takes the icon out of the tray; fails when it is not there.
  [[nodiscard]] virtual bool remove() = 0;
  // Receives the mouse messages of the icon, on the program's own thread.
  virtual void setMouseHandler(MouseHandler handler) = 0;
};
