#include "agent/libWMP.h"

#include <algorithm>
#include <array>

#include "agent/FrameText.h"

namespace {

constexpr qint32 kVolumeStep = 10;
constexpr qint32 kMaxVolume = 100;

// The playlist formats the handheld lists.
constexpr std::array<QStringView, 5> kListedTypes = {u"WAX", u"ASX", u"WPL", u"M3U", u"WVX"};

// A playlist name as the handheld's list carries it: ":" ends a name there, so one inside a name
// becomes a space, as do the characters that would break the frame.
QString ListedName(const QString& name) {
  QString listed = frametext::FieldValue(name);
  listed.replace(u':', u' ');
  return listed;
}

}  // namespace

MediaPlayer* libWMP::player() const { return PlayerUnavailable ? nullptr : mediaPlayer_.get(); }

bool libWMP::InitWMP() {
  // A player that answers is kept; only a failed one is replaced by a new one.
  if (!mediaPlayer_ && services_) {
    mediaPlayer_ = players_.create(services_->playerHost);
  }
  if (mediaPlayer_ && mediaPlayer_->answers()) {
    if (const auto volume = mediaPlayer_->volume()) {
      PlayerVolume = *volume;
      PlayerUnavailable = false;
      return true;
    }
  }
  PlayerUnavailable = true;
  mediaPlayer_.reset();
  return false;
}

void libWMP::ReleasePlayer() {
  mediaPlayer_.reset();
  PlayerUnavailable = true;
}

void libWMP::LoadPlaylists() {
  MediaPlayer* const media = player();
  if (media == nullptr) {
    return;
  }
  Playlists.clear();
  if (const auto all = media->playlists()) {
    Playlists.reserve(all->size());
    for (const MediaPlayer::Playlist& playlist : *all) {
      Playlists.push_back(PlaylistRecord{playlist.title, playlist.type});
    }
  }
}

qint32 libWMP::FindPlaylist(const QString& name) const {
  if (PlayerUnavailable) {
    return -1;
  }
  const auto index = [this](auto matches) -> qint32 {
    const auto found = std::find_if(Playlists.begin(), Playlists.end(), matches);
    return found == Playlists.end() ? -1 : static_cast<qint32>(found - Playlists.begin());
  };
  const qint32 exact = index([&name](const PlaylistRecord& record) { return record.Name == name; });
  if (exact >= 0) {
    return exact;
  }
  // The handheld names a playlist as its list showed it; for a name that held characters the
  // list cannot carry, that is the listed form.
  return index([&name](const PlaylistRecord& record) { return ListedName(record.Name) == name; });
}

void libWMP::SetPlaylist(const QString& name, bool autoStart) {
  MediaPlayer* const media = player();
  if (media == nullptr) {
    return;
  }
  const qint32 index = FindPlaylist(name);
  // Remembered also when no playlist has the name: the version reply names what was asked for.
  CurrentPlaylist = name;
  (void)media->setAutoStart(autoStart);
  // A player that refuses to empty itself keeps what it had.
  (void)media->setCurrentPlaylist(index < 0 ? std::nullopt : std::optional<qsizetype>(index));
}

std::optional<QString> libWMP::reportedMediaName() const {
  MediaPlayer* const media = player();
  if (media == nullptr) {
    return std::nullopt;
  }
  const auto name = media->currentMediaName();
  if (!name) {
    return std::nullopt;
  }
  return frametext::FieldValue(*name);
}

void libWMP::NotifyMediaChange() { reportIfChanged(reportedMediaName()); }

void libWMP::reportIfChanged(const std::optional<QString>& name) {
  if (!name || !services_ || *name == LastMediaName) {
    return;
  }
  // Set before sending: a timer tick while the report goes out does not report it again.
  LastMediaName = *name;
  services_->reply.SendReply(QStringLiteral("CHANGEUI"), QStringLiteral("WMP_CHANGE_MEDIA"), *name);
}

template <typename Call>
void libWMP::transport(Call call) {
  MediaPlayer* const media = player();
  if (media == nullptr) {
    return;
  }
  (void)call(*media);
  NotifyMediaChange();
}

void libWMP::PlayPause() {
  // The handheld's one button toggles between playing and paused.
  transport([](MediaPlayer& media) {
    return media.playState() == MediaPlayer::kPlaying ? media.pause() : media.play();
  });
}

void libWMP::StopPlayback() {
  transport([](MediaPlayer& media) { return media.stop(); });
}

void libWMP::NextTrack() {
  transport([](MediaPlayer& media) { return media.next(); });
}

void libWMP::PreviousTrack() {
  transport([](MediaPlayer& media) { return media.previous(); });
}

void libWMP::VolumeUp() {
  MediaPlayer* const media = player();
  if (media == nullptr) {
    return;
  }
  PlayerVolume = std::min(PlayerVolume + kVolumeStep, kMaxVolume);
  // The volume changes no item: no report.
  (void)media->setVolume(PlayerVolume);
}

void libWMP::VolumeDown() {
  MediaPlayer* const media = player();
  if (media == nullptr) {
    return;
  }
  PlayerVolume -= kVolumeStep;
  if (PlayerVolume < 1) {
    PlayerVolume = 0;
  }
  if (!media->setVolume(PlayerVolume)) {
    return;
  }
  NotifyMediaChange();
}

void libWMP::SetMute(bool mute) {
  // Recorded before the player is asked, so the version reply follows the handheld also while no
  // player answers.
  IsMuted = mute;
  MediaPlayer* const media = player();
  if (media == nullptr || !media->setMute(mute)) {
    return;
  }
  NotifyMediaChange();
}

void libWMP::ToggleFullScreen() {
  // Flipped whether or not the player follows: the next request switches the other way.
  IsFullScreen = !IsFullScreen;
  SetFullScreen(IsFullScreen);
}

void libWMP::SetFullScreen(bool on) {
  // Only what plays goes full screen; switching off is always passed on.
  transport([on](MediaPlayer& media) {
    if (on && media.playState() != MediaPlayer::kPlaying) {
      return false;
    }
    return media.setFullScreen(on);
  });
}

void libWMP::setMode(bool libWMP::*flag, bool (MediaPlayer::*apply)(bool), bool on) {
  MediaPlayer* const media = player();
  if (media == nullptr) {
    return;
  }
  // The switch is the one asked for, whether or not the player takes it.
  this->*flag = on;
  if (!(media->*apply)(on)) {
    return;
  }
  NotifyMediaChange();
}

QString libWMP::GetPlaylistNames() {
  StopPlayback();
  // Asking for the playlists is an unavailable player's new chance to be bound.
  if (!InitWMP()) {
    return {};
  }
  LoadPlaylists();
  QString names;
  for (const PlaylistRecord& record : Playlists) {
    const QString type = record.PlaylistType.toUpper();
    if (std::find(kListedTypes.begin(), kListedTypes.end(), type) != kListedTypes.end()) {
      names += ListedName(record.Name) + u':';
    }
  }
  return names;
}

void libWMP::tmrWMP_Timer() {
  if (PlayerUnavailable || !services_) {
    return;
  }
  const LinkState& link = services_->link;
  // The slide show has the handheld's screen; media reports wait until it ends.
  if (!link.IsPortOpen() || !link.IsSessionActive() || services_->presentation.ShowRunning) {
    return;
  }
  // The name compared is the one reported: the player is asked once a tick.
  reportIfChanged(reportedMediaName());
}
