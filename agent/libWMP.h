#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>
#include <optional>
#include <vector>

#include "agent/CommandActions.h"
#include "agent/LinkState.h"
#include "agent/ReplySender.h"
#include "platform/MediaPlayer.h"
#include "shared/PresentationModel.h"

class QWidget;

// What the media module needs of the agent around it, which exists only after the module: the
// reply path, the link, the slide show and the main window's hidden player host.
struct MediaServices {
  ReplySender& reply;
  const LinkState& link;
  const PresentationModel& presentation;
  QWidget& playerHost;
};

// The media player the handheld drives, and the state its reports and the version reply read.
// The player is bound at start-up and again whenever the handheld asks for the playlists; while
// no player answers, every operation returns at once and only the switches the handheld sets
// without a player (mute, full screen) and the forced report follow it.
class libWMP final : public MediaActions {
 public:
  struct PlaylistRecord {
    QString Name;
    QString PlaylistType;
  };

  explicit libWMP(MediaPlayers& players) : players_(players) {}

  void Attach(const MediaServices& services) { services_.emplace(services); }

  // Binds the player, making one when there is none (a live one is kept). True when bound.
  bool InitWMP();
  // Rebuilds the playlist table from the library.
  void LoadPlaylists();
  // The lowest index of the playlist of that name (exact, case-sensitive), or -1.
  [[nodiscard]] qint32 FindPlaylist(const QString& name) const;
  void SetFullScreen(bool on);
  // The exit routine lets the player go.
  void ReleasePlayer();
  // The main window's 2000 ms media timer.
  void tmrWMP_Timer();

  bool PlayerUnavailable = true;
  qint32 PlayerVolume = 0;
  bool IsMuted = false;
  bool IsRepeating = false;
  bool IsShuffling = false;
  bool IsFullScreen = false;
  // The name last given to SetPlaylist, whether or not such a playlist exists.
  QString CurrentPlaylist;
  // The media item last reported; " " forces the next report.
  QString LastMediaName;
  std::vector<PlaylistRecord> Playlists;

  // MediaActions
  void ForceNextReport() override { LastMediaName = QStringLiteral(" "); }
  void SetPlaylist(const QString& name, bool autoStart) override;
  [[nodiscard]] QString GetPlaylistNames() override;
  void NotifyMediaChange() override;
  void PlayPause() override;
  void StopPlayback() override;
  void NextTrack() override;
  void PreviousTrack() override;
  void VolumeUp() override;
  void VolumeDown() override;
  void SetMute(bool mute) override;
  void ToggleFullScreen() override;
  void RepeatOn() override { setMode(&libWMP::IsRepeating, &MediaPlayer::setRepeat, true); }
  void RepeatOff() override { setMode(&libWMP::IsRepeating, &MediaPlayer::setRepeat, false); }
  void ShuffleOn() override { setMode(&libWMP::IsShuffling, &MediaPlayer::setShuffle, true); }
  void ShuffleOff() override { setMode(&libWMP::IsShuffling, &MediaPlayer::setShuffle, false); }

 private:
  // The bound player, or nothing while the player is unavailable.
  [[nodiscard]] MediaPlayer* player() const;
  // The current item's name as the handheld gets it; no value without a current item.
  [[nodiscard]] std::optional<QString> reportedMediaName() const;
  // Remembers and reports `name` when it is an item's and differs from the last one reported.
  void reportIfChanged(const std::optional<QString>& name);
  // Repeat or shuffle: records the switch, then asks the player; a refusal ends it unreported.
  void setMode(bool libWMP::*flag, bool (MediaPlayer::*apply)(bool), bool on);
  // Runs a transport call; a failure skips only that step, and the report follows.
  template <typename Call>
  void transport(Call call);

  MediaPlayers& players_;
  std::optional<MediaServices> services_;
  std::unique_ptr<MediaPlayer> mediaPlayer_;
};
