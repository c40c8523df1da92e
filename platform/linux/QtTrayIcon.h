#pragma once

#include <QSystemTrayIcon>
#include <memory>

#include "platform/TrayIcon.h"

// The tray icon as Qt's own: the desktop's StatusNotifier host where there is one, else the X
// system tray (the XEmbed dock of the owner of the _NET_SYSTEM_TRAY_S<n> selection). Qt reports
// clicks as activation reasons; they become the mouse messages of a release (mouseMessageFor).
class QtTrayIcon final : public TrayIcon {
 public:
  QtTrayIcon();
  ~QtTrayIcon() override;
  QtTrayIcon(const QtTrayIcon&) = delete;
  QtTrayIcon& operator=(const QtTrayIcon&) = delete;

  [[nodiscard]] bool hostAvailable() const override;
  [[nodiscard]] bool add(const QIcon& icon, const QString& tip) override;
  [[nodiscard]] bool modify(const QIcon& icon, const QString& tip) override;
  [[nodiscard]] bool remove() override;
  void setMouseHandler(MouseHandler handler) override;

  // The mouse message an activation stands for; 0 for one that stands for none.
  [[nodiscard]] static int mouseMessageFor(QSystemTrayIcon::ActivationReason reason);

 private:
  void activated(QSystemTrayIcon::ActivationReason reason) const;

  std::unique_ptr<QSystemTrayIcon> icon_;
  MouseHandler handler_;
};
