#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

#include "platform/TrayIcon.h"

class frmMain;
class LibAppREg;

// The agent's tray icon: minimising the main window hides it behind an icon in the tray, a click
// on the icon brings it back, and the icon doubles as the link's activity lamp. The icon's
// record (picture and tip) is kept between the calls, as each call sends it whole.
class LibTray final {
 public:
  // The only field a modification changes: the picture.
  static constexpr int kModifyIcon = 2;
  // The tip's room on the original desktop: 64 characters with the closing NUL.
  static constexpr qsizetype kTipChars = 63;

  // The icon stands for `window`; its tip is the product's name as `product` gives it.
  LibTray(TrayIcon& tray, frmMain& window, const LibAppREg& product);
  ~LibTray();
  LibTray(const LibTray&) = delete;
  LibTray& operator=(const LibTray&) = delete;

  // The icon goes into the tray with `picture` and the tip.
  void AddTrayIcon(const QIcon& picture, const QString& tipText);
  // With kModifyIcon, the record's picture becomes `value`; the whole record is sent again.
  void ModifyTrayIcon(int mode, const QIcon& value);
  // Takes the icon out of the tray, at the end of the run.
  void RemoveTrayIcon();
  // The lamp's pictures: idle (led1) and activity (led2).
  void ShowIdleTrayIcon();
  void ShowActiveTrayIcon();

  // The window goes to the tray: the icon is added and the window minimised and hidden.
  void MinimizeToTray();
  // The window's size or state changed: a minimised window leaves the task bar for the tray.
  void Form_Resize();
  // A mouse message from the icon: a left or right click shows the window again.
  void Form_MouseMove(int message);
  // On the lamp's tick: a window hidden behind an icon that no tray shows any more (the panel
  // went) comes back to the task bar, minimised, so that the user can still reach it.
  void KeepWindowReachable();

  [[nodiscard]] QString TipText() const;
  // The record as last sent.
  [[nodiscard]] const QIcon& icon() const { return icon_; }
  [[nodiscard]] const QString& tip() const { return tip_; }

 private:
  void AddOwnIcon();
  // Hides the window when a tray shows the icon; without one it stays minimised in the task bar.
  void HideBehindIcon();

  TrayIcon& tray_;
  frmMain& window_;
  const LibAppREg& product_;
  QIcon icon_;
  QString tip_;
  // The window was hidden here, behind the icon, and not shown since.
  bool hiddenInTray_ = false;
  // Holds the deferred hide of a minimisation; it is dropped with the module.
  QObject pending_;
};
