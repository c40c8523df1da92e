#include "agent/libWMP.h"

bool libWMP::InitWMP() {
  PlayerUnavailable = true;
  return false;
}

void libWMP::tmrWMP_Timer() {
  // Nothing plays without a player, so nothing changes to report.
}

void libWMP::SetPlaylist(const QString& /*name*/, bool /*play*/) {
  // Without a player no playlist becomes current, and the version reply's playlist stays empty.
}

QString libWMP::GetPlaylistNames() {
  StopPlayback();
  // Asking for the playlists is the player's new chance to be bound; without one there are none.
  (void)InitWMP();
  return {};
}

void libWMP::SetMute(bool mute) {
  // The switch is recorded before the player is asked, so the version reply follows the handheld
  // also while no player answers.
  IsMuted = mute;
}

void libWMP::ToggleFullScreen() {
  // Flipped whether or not a player follows: the next request switches the other way.
  IsFullScreen = !IsFullScreen;
}
