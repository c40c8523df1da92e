#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "platform/MediaPlayer.h"

// A media player in memory. The players a FakeMediaPlayers makes all act on one state that the
// test holds, so the test sees the player also after the module let it go. Every call is logged;
// a member named in `failing` fails.
struct FakeMediaPlayerState {
  struct LibraryPlaylist {
    QString title;
    QString type;
    QStringList items;
  };

  std::vector<LibraryPlaylist> library;
  QStringList items;
  std::optional<qsizetype> position;
  qint32 state = MediaPlayer::kStopped;
  qint32 volume = 50;
  bool answering = true;
  bool autoStart = true;
  bool mute = false;
  bool repeat = false;
  bool shuffle = false;
  bool fullScreen = false;
  QSet<QString> failing;
  QStringList calls;
};

class FakeMediaPlayer final : public MediaPlayer {
 public:
  explicit FakeMediaPlayer(std::shared_ptr<FakeMediaPlayerState> state) : s_(std::move(state)) {}

  bool answers() override { return call(QStringLiteral("answers")) && s_->answering; }
  std::optional<qint32> volume() override {
    return call(QStringLiteral("volume")) ? std::optional(s_->volume) : std::nullopt;
  }
  bool setVolume(qint32 percent) override {
    return set(QStringLiteral("setVolume(%1)").arg(percent), s_->volume, percent);
  }
  bool setMute(bool mute) override { return set(flagCall("setMute", mute), s_->mute, mute); }
  bool setAutoStart(bool on) override {
    return set(flagCall("setAutoStart", on), s_->autoStart, on);
  }
  bool setRepeat(bool on) override { return set(flagCall("setRepeat", on), s_->repeat, on); }
  bool setShuffle(bool on) override { return set(flagCall("setShuffle", on), s_->shuffle, on); }
  std::optional<QString> currentMediaName() override {
    if (!call(QStringLiteral("currentMediaName")) || !s_->position) {
      return std::nullopt;
    }
    return s_->items.at(*s_->position);
  }
  std::optional<std::vector<Playlist>> playlists() override {
    if (!call(QStringLiteral("playlists"))) {
      return std::nullopt;
    }
    std::vector<Playlist> all;
    for (const auto& playlist : s_->library) {
      all.push_back(Playlist{playlist.title, playlist.type});
    }
    return all;
  }
  bool setCurrentPlaylist(std::optional<qsizetype> index) override {
    if (!call(QStringLiteral("setCurrentPlaylist(%1)")
                  .arg(index ? QString::number(*index) : QStringLiteral("none")))) {
      return false;
    }
    s_->items = index ? s_->library.at(static_cast<std::size_t>(*index)).items : QStringList();
    s_->position = s_->items.isEmpty() ? std::nullopt : std::optional<qsizetype>(0);
    s_->state = s_->position && s_->autoStart ? kPlaying : kStopped;
    return true;
  }
  std::optional<qint32> playState() override {
    return call(QStringLiteral("playState")) ? std::optional(s_->state) : std::nullopt;
  }
  bool play() override { return transport(QStringLiteral("play()"), kPlaying); }
  bool pause() override { return transport(QStringLiteral("pause()"), kPaused); }
  bool stop() override { return transport(QStringLiteral("stop()"), kStopped); }
  bool next() override { return step(QStringLiteral("next()"), 1); }
  bool previous() override { return step(QStringLiteral("previous()"), -1); }
  bool setFullScreen(bool on) override {
    return set(flagCall("setFullScreen", on), s_->fullScreen, on);
  }

 private:
  static QString flagCall(const char* name, bool on) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name), on ? u"true" : u"false");
  }
  // Logs the call; false when its member is set to fail.
  bool call(const QString& text) {
    s_->calls << text;
    return !s_->failing.contains(text.section(u'(', 0, 0));
  }
  template <typename T>
  bool set(const QString& text, T& field, T value) {
    if (!call(text)) {
      return false;
    }
    field = value;
    return true;
  }
  bool transport(const QString& text, qint32 state) {
    if (!call(text) || !s_->position) {
      return false;
    }
    s_->state = state;
    return true;
  }
  bool step(const QString& text, qsizetype by) {
    if (!call(text) || !s_->position) {
      return false;
    }
    const qsizetype to = *s_->position + by;
    if (to < 0 || to >= s_->items.size()) {
      return false;
    }
    s_->position = to;
    return true;
  }

  std::shared_ptr<FakeMediaPlayerState> s_;
};

class FakeMediaPlayers final : public MediaPlayers {
 public:
  std::shared_ptr<FakeMediaPlayerState> state = std::make_shared<FakeMediaPlayerState>();
  // No player can be made (as without libmpv).
  bool failCreate = false;
  int made = 0;

  std::unique_ptr<MediaPlayer> create(QWidget& /*videoHost*/) override {
    if (failCreate) {
      return nullptr;
    }
    ++made;
    return std::make_unique<FakeMediaPlayer>(state);
  }
};
