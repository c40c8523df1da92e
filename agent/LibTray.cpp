#include "agent/LibTray.h"

#include "agent/LibAppREg.h"
#include "agent/frmMain.h"

LibTray::LibTray(TrayIcon& tray, frmMain& window, const LibAppREg& product)
    : tray_(tray), window_(window), product_(product) {
  tray_.setMouseHandler([this](int message) { Form_MouseMove(message); });
}

LibTray::~LibTray() { tray_.setMouseHandler(nullptr); }

QString LibTray::TipText() const {
  return LibAppREg::ProductNameFromCode(product_.ProductCode).left(kTipChars);
}

void LibTray::AddTrayIcon(const QIcon& picture, const QString& tipText) {
  icon_ = picture;
  tip_ = tipText.left(kTipChars);
  // An icon already there stays as it is: one icon for the window, whatever the adds.
  (void)tray_.add(icon_, tip_);
}

void LibTray::ModifyTrayIcon(int mode, const QIcon& value) {
  if (mode == kModifyIcon) {
    icon_ = value;
  }
  // Without an icon in the tray this changes nothing, which is what the lamp relies on.
  (void)tray_.modify(icon_, tip_);
}

void LibTray::RemoveTrayIcon() { (void)tray_.remove(); }

void LibTray::ShowIdleTrayIcon() { ModifyTrayIcon(kModifyIcon, window_.led1); }

void LibTray::ShowActiveTrayIcon() { ModifyTrayIcon(kModifyIcon, window_.led2); }

void LibTray::AddOwnIcon() { AddTrayIcon(window_.windowIcon(), TipText()); }

void LibTray::HideBehindIcon() {
  if (!tray_.hostAvailable()) {
    // Hidden without a tray to click, the window could never come back.
    if (window_.isHidden()) {
      window_.showMinimized();
    }
    return;
  }
  hiddenInTray_ = true;
  window_.hide();
}

void LibTray::MinimizeToTray() {
  AddOwnIcon();
  if (window_.isMinimized()) {
    return;
  }
  // The state change runs Form_Resize, whose hide comes later; the window goes now.
  window_.setWindowState(window_.windowState() | Qt::WindowMinimized);
  HideBehindIcon();
}

void LibTray::Form_Resize() {
  if (!window_.isMinimized()) {
    return;
  }
  AddOwnIcon();
  // Hidden once the state change is done: a minimisation that the program asks for
  // (showMinimized) shows the window again after its state has changed.
  QMetaObject::invokeMethod(
      &pending_,
      [this] {
        if (window_.isMinimized()) {
          HideBehindIcon();
        }
      },
      Qt::QueuedConnection);
}

void LibTray::Form_MouseMove(int message) {
  window_.ClearTabHover();
  switch (message) {
    case TrayIcon::kLeftButtonUp:
    case TrayIcon::kRightButtonUp:
      hiddenInTray_ = false;
      window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
      window_.show();
      window_.raise();
      window_.activateWindow();
      break;
    default:
      break;
  }
}

void LibTray::KeepWindowReachable() {
  if (!hiddenInTray_) {
    return;
  }
  if (!window_.isHidden()) {
    hiddenInTray_ = false;
    return;
  }
  if (!tray_.hostAvailable()) {
    hiddenInTray_ = false;
    window_.showMinimized();
  }
}
