#pragma once

#include <QString>
#include <QtGlobal>

#include "agent/CommandActions.h"

// The media player the handheld drives, and the state its reports and the version reply read.
// The agent has no player to bind yet: the player is unavailable, so every operation returns at
// once without a player, as it does after a failed bind, and only the switches the dispatcher
// records (mute, full screen) and the forced report follow the handheld.
class libWMP final : public MediaActions {
 public:
  // The player the agent would bind; none here, so the bind fails. True when bound.
  bool InitWMP();
  // The main window's 2000 ms media timer.
  void tmrWMP_Timer();

  bool PlayerUnavailable = true;
  bool IsMuted = false;
  bool IsRepeating = false;
  bool IsShuffling = false;
  bool IsFullScreen = false;
  // The name last given to SetPlaylist; empty until a player takes one.
  QString CurrentPlaylist;
  // The media item last reported; " " forces the next report.
  QString LastMediaName;

  // MediaActions
  void ForceNextReport() override { LastMediaName = QStringLiteral(" "); }
  void SetPlaylist(const QString& name, bool play) override;
  [[nodiscard]] QString GetPlaylistNames() override;
  void NotifyMediaChange() override {}
  void PlayPause() override {}
  void StopPlayback() override {}
  void NextTrack() override {}
  void PreviousTrack() override {}
  void VolumeUp() override {}
  void VolumeDown() override {}
  void SetMute(bool mute) override;
  void ToggleFullScreen() override;
  void RepeatOn() override {}
  void RepeatOff() override {}
  void ShuffleOn() override {}
  void ShuffleOff() override {}
};
