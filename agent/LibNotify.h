#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include "agent/AgentFlags.h"
#include "agent/LibGeneral.h"
#include "platform/TickClock.h"
#include "platform/WindowSystem.h"

// Tells the handheld which kind of application holds the foreground: on the foreground timer
// while a session is active, and at once when the handheld asks.
class LibNotify {
 public:
  // A title longer than this is cut: the desktop may hand back any length, and nothing the
  // agent compares or sends needs more.
  static constexpr qsizetype kWindowTitleChars = 4096;
  // The report carries at most this much of the title.
  static constexpr qsizetype kReportedTitleChars = 100;
  // The handheld asked: let the window that is coming up settle before its title is read out.
  static constexpr qint32 kForcedReportPauseMs = 400;

  LibNotify(WindowSystem& windows, LibGeneral& general, AgentFlags& flags, const TickClock& clock);

  // The window's title after pending events ran; "" when it cannot be read.
  [[nodiscard]] QString GetWindowTitle(WindowHandle window);
  // "BROWSER", "WMPLAYER", "MEDIA_ITUNES", "POWERPOINT" or "OTHER".
  [[nodiscard]] static QString ClassifyWindowTitle(QStringView title);
  // Compares the foreground title with the last one, remembers it and reports a change (or, with
  // `force`, the unchanged title) as "CHANGEUI".
  void NotifyForegroundChange(bool force);
  // The foreground timer's tick (every second from load until the exit routine).
  void ForegroundTimer_Tick();

 private:
  WindowSystem& windows_;
  LibGeneral& general_;
  AgentFlags& flags_;
  const TickClock& clock_;
};
