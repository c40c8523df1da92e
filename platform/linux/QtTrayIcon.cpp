#include "platform/linux/QtTrayIcon.h"

#include <utility>

QtTrayIcon::QtTrayIcon() : icon_(std::make_unique<QSystemTrayIcon>()) {
  QObject::connect(icon_.get(), &QSystemTrayIcon::activated, icon_.get(),
                   [this](QSystemTrayIcon::ActivationReason reason) { activated(reason); });
}

QtTrayIcon::~QtTrayIcon() {
  // The icon leaves the tray with its object; no click may reach a handler past this point.
  handler_ = nullptr;
  icon_->disconnect();
}

bool QtTrayIcon::hostAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

bool QtTrayIcon::add(const QIcon& icon, const QString& tip) {
  if (icon_->isVisible()) {
    return false;
  }
  icon_->setIcon(icon);
  icon_->setToolTip(tip);
  // Without a host the icon waits for one: Qt docks it when a tray appears.
  icon_->show();
  return true;
}

bool QtTrayIcon::modify(const QIcon& icon, const QString& tip) {
  if (!icon_->isVisible()) {
    return false;
  }
  // The lamp rewrites the same picture every few hundred milliseconds; the dock repaints only
  // for a change.
  if (icon_->icon().cacheKey() != icon.cacheKey()) {
    icon_->setIcon(icon);
  }
  if (icon_->toolTip() != tip) {
    icon_->setToolTip(tip);
  }
  return true;
}

bool QtTrayIcon::remove() {
  if (!icon_->isVisible()) {
    return false;
  }
  icon_->hide();
  return true;
}

void QtTrayIcon::setMouseHandler(MouseHandler handler) { handler_ = std::move(handler); }

int QtTrayIcon::mouseMessageFor(QSystemTrayIcon::ActivationReason reason) {
  // Qt's X11 dock reports a button when it goes down, not when it comes up; the release that
  // follows is never reported. The press stands for the click it begins.
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      return kLeftButtonUp;
    case QSystemTrayIcon::Context:
      return kRightButtonUp;
    case QSystemTrayIcon::DoubleClick:
      return kLeftButtonDoubleClick;
    case QSystemTrayIcon::MiddleClick:
      return kMiddleButtonUp;
    case QSystemTrayIcon::Unknown:
      break;
  }
  return 0;
}

void QtTrayIcon::activated(QSystemTrayIcon::ActivationReason reason) const {
  const int message = mouseMessageFor(reason);
  if (message != 0 && handler_) {
    handler_(message);
  }
}
