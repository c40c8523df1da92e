#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

// The media player the handheld drives: its own volume, switches, the library's playlists and the
// transport. Every call may fail (the player stopped answering, nothing is current); a failed call
// returns false or no value and changes nothing the agent relies on. The player reports nothing by
// itself: the agent asks.
class MediaPlayer {
 public:
  // The play state that means "playing"; any other value is stopped, paused or loading.
  static constexpr qint32 kPlaying = 3;
  static constexpr qint32 kPaused = 2;
  static constexpr qint32 kStopped = 1;

  // A playlist of the library as the player lists it.
  struct Playlist {
    // Its own title where the format has one, else the file name without its extension.
    QString title;
    // The format, upper-case: "WPL", "ASX", "WAX", "WVX" or "M3U".
    QString type;
  };

  virtual ~MediaPlayer() = default;

  // True while the player works.
  [[nodiscard]] virtual bool answers() = 0;

  // The player's own volume, 0 to 100; a new player starts at 50.
  [[nodiscard]] virtual std::optional<qint32> volume() = 0;
  [[nodiscard]] virtual bool setVolume(qint32 percent) = 0;
  [[nodiscard]] virtual bool setMute(bool mute) = 0;
  // Whether a playlist that is made current starts playing by itself.
  [[nodiscard]] virtual bool setAutoStart(bool autoStart) = 0;
  // Loop the current playlist.
  [[nodiscard]] virtual bool setRepeat(bool repeat) = 0;
  // On shuffles the current playlist now and every later one; off restores the playlist's order.
  [[nodiscard]] virtual bool setShuffle(bool shuffle) = 0;

  // The display name of the current item: its title tag, else its file name without extension.
  // No value when no item is current.
  [[nodiscard]] virtual std::optional<QString> currentMediaName() = 0;

  // The library's playlists, in a stable order; no value when the library cannot be listed.
  [[nodiscard]] virtual std::optional<std::vector<Playlist>> playlists() = 0;
  // Makes the playlist at that index of playlists() current; no value empties the player.
  [[nodiscard]] virtual bool setCurrentPlaylist(std::optional<qsizetype> index) = 0;

  // kPlaying, kPaused, kStopped (also when no item is current), or another state of the player's
  // own.
  [[nodiscard]] virtual std::optional<qint32> playState() = 0;
  [[nodiscard]] virtual bool play() = 0;
  [[nodiscard]] virtual bool pause() = 0;
  // Stops and goes back to the start of the current item; the playlist stays current, and play
  // starts the item again from there.
  [[nodiscard]] virtual bool stop() = 0;
  [[nodiscard]] virtual bool next() = 0;
  [[nodiscard]] virtual bool previous() = 0;

  // Shows the video over the whole screen, or puts it back into its hidden host.
  [[nodiscard]] virtual bool setFullScreen(bool on) = 0;
};

// Makes players. A player is made for the main window's hidden player host, which holds its video.
class MediaPlayers {
 public:
  virtual ~MediaPlayers() = default;
  // A new player, or nothing when none can be made.
  [[nodiscard]] virtual std::unique_ptr<MediaPlayer> create(QWidget& videoHost) = 0;
};
