#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <QtGlobal>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "platform/MediaPlayer.h"
#include "platform/linux/MpvPlayerOptions.h"
#include "platform/linux/PlaylistFiles.h"

struct mpv_handle;
struct mpv_event;

// One media player on an embedded libmpv core. Everything runs on the window thread: libmpv's
// wake-ups only post a note to it, and its events are taken there.
//
// libmpv knows no "stopped with a playlist": its own stop empties the playlist. A stop here pauses,
// goes back to the start of the item and remembers that the player counts as stopped until it
// plays again. The video goes into a top-level window of the player's own, hidden until full
// screen is asked for. The player must go before the widget that hosts its video window.
class MpvMediaPlayer final : public MediaPlayer {
 public:
  // How long a display name waits for the current item to be loaded before it is taken from the
  // file name; a bound, the load of a local file normally takes a few milliseconds.
  static constexpr int kNameLoadWaitMs = 1000;
  // The volume of a new player.
  static constexpr qint32 kInitialVolume = 50;

  // Nothing when libmpv cannot be created or refuses one of the settings it needs.
  [[nodiscard]] static std::unique_ptr<MpvMediaPlayer> create(QWidget& videoHost,
                                                              const MpvPlayerOptions& options);
  ~MpvMediaPlayer() override;
  MpvMediaPlayer(const MpvMediaPlayer&) = delete;
  MpvMediaPlayer& operator=(const MpvMediaPlayer&) = delete;

  [[nodiscard]] bool answers() override;
  [[nodiscard]] std::optional<qint32> volume() override;
  [[nodiscard]] bool setVolume(qint32 percent) override;
  [[nodiscard]] bool setMute(bool mute) override;
  [[nodiscard]] bool setAutoStart(bool autoStart) override;
  [[nodiscard]] bool setRepeat(bool repeat) override;
  [[nodiscard]] bool setShuffle(bool shuffle) override;
  [[nodiscard]] std::optional<QString> currentMediaName() override;
  [[nodiscard]] std::optional<std::vector<Playlist>> playlists() override;
  [[nodiscard]] bool setCurrentPlaylist(std::optional<qsizetype> index) override;
  [[nodiscard]] std::optional<qint32> playState() override;
  [[nodiscard]] bool play() override;
  [[nodiscard]] bool pause() override;
  [[nodiscard]] bool stop() override;
  [[nodiscard]] bool next() override;
  [[nodiscard]] bool previous() override;
  [[nodiscard]] bool setFullScreen(bool on) override;

  // Where playback stands in the current item, in seconds; no value when no item is loaded.
  [[nodiscard]] std::optional<double> positionSeconds();
  // Whether libmpv holds its output muted.
  [[nodiscard]] std::optional<bool> muted();
  // The top-level window that shows the video; null once it is gone.
  [[nodiscard]] QWidget* videoWindow() const { return videoWindow_; }

 private:
  struct Entry {
    qint64 id = 0;
    QString path;
  };

  MpvMediaPlayer(mpv_handle* handle, QWidget* videoWindow, MpvPlayerOptions options);

  static void onWakeup(void* player);
  // Takes every event libmpv has queued, without waiting.
  void drainEvents();
  void handleEvent(const mpv_event& event);
  [[nodiscard]] bool alive() const;
  // playlist-pos, or no value when nothing is current (or libmpv does not answer).
  [[nodiscard]] std::optional<qint64> currentPosition();
  // The id libmpv gave the playlist entry at `position`.
  [[nodiscard]] std::optional<qint64> entryIdAt(qint64 position);
  // Reads the playlist as libmpv holds it now, in the order it plays.
  void refreshModel();
  [[nodiscard]] std::optional<QString> modelPath(qint64 position, qint64 id);
  // Waits, boundedly, until the entry at playlist-pos has been loaded; an entry that fails is
  // passed over by libmpv, and the wait goes on with the entry that follows it.
  void waitForCurrentLoad();
  [[nodiscard]] bool command(std::initializer_list<const char*> arguments);
  [[nodiscard]] bool setFlag(const char* name, bool value);
  [[nodiscard]] std::optional<bool> flag(const char* name);
  [[nodiscard]] bool seekToStart();
  // Makes the playlist's first item current and waits, boundedly, until libmpv has opened it.
  [[nodiscard]] bool startFirstItem();
  [[nodiscard]] QString libraryFolder() const;
  // The library's readable playlist files in its order; no value when it cannot be listed.
  [[nodiscard]] std::optional<std::vector<playlistfiles::PlaylistFile>> readLibrary() const;

  mpv_handle* handle_ = nullptr;
  // Owned by the video host (Qt parent); the player deletes it when it goes first.
  QPointer<QWidget> videoWindow_;
  MpvPlayerOptions options_;
  // The queued wake-up notes go to this object; destroying it drops the ones not yet delivered.
  std::unique_ptr<QObject> wakeTarget_;
  std::atomic<bool> drainPosted_{false};

  // The playlist as libmpv plays it.
  std::vector<Entry> model_;
  // The entry libmpv is opening, and the one whose file is open (its metadata readable); 0: none.
  qint64 startingEntryId_ = 0;
  qint64 loadedEntryId_ = 0;
  bool shutDown_ = false;
  bool stopped_ = false;
  bool autoStart_ = true;
  bool shuffle_ = false;
};
