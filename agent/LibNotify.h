#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include "agent/CommandActions.h"
#include "agent/LinkState.h"
#include "agent/ReplySender.h"
#include "platform/EventPump.h"
#include "platform/TickClock.h"
#include "platform/WindowSystem.h"

// Tells the handheld which kind of application holds the foreground: on the foreground timer
// while a session is active, and at once when the handheld asks.
class LibNotify final : public ForegroundReports {
 public:
  // A title longer than this is cut: the desktop may hand back any length, and nothing the
  // agent compares or sends needs more.
  static constexpr qsizetype kWindowTitleChars = 4096;
  // The report carries at most this much of the title.
  static constexpr qsizetype kReportedTitleChars = 100;
  // The handheld asked: let the window that is coming up settle before its title is read out.
  static constexpr qint32 kForcedReportPauseMs = 400;

  LibNotify(WindowSystem& windows, ReplySender& reply, LinkState& link, const TickClock& clock,
            EventPump& pump);

  // The window's title after pending events ran; "" when it cannot be read.
  [[nodiscard]] QString GetWindowTitle(WindowHandle window);
  // "BROWSER", "WMPLAYER", "MEDIA_ITUNES", "POWERPOINT" or "OTHER".
  [[nodiscard]] static QString ClassifyWindowTitle(QStringView title);
  // Compares the foreground title with the last one, remembers it and reports a change (or, with
  // `force`, the unchanged title) as "CHANGEUI".
  void NotifyForegroundChange(bool force) override;
  void SuppressNextReport() override { SuppressWindowNotify = true; }
  void AllowNextReport() override { SuppressWindowNotify = false; }
  // The foreground timer's tick (every second from load until the exit routine).
  void ForegroundTimer_Tick();

  // One-shot: the next check only records the new title.
  bool SuppressWindowNotify = false;
  // The foreground title of the last check.
  QString LastWindowTitle;

 private:
  WindowSystem& windows_;
  ReplySender& reply_;
  LinkState& link_;
  const TickClock& clock_;
  EventPump& pump_;
};
