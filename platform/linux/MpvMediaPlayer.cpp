#include "platform/linux/MpvMediaPlayer.h"

#include <mpv/client.h>

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QMetaObject>
#include <QPalette>
#include <algorithm>
#include <array>
#include <clocale>
#include <cmath>
#include <utility>

#include "platform/linux/MpvMediaPlayers.h"
#include "platform/linux/PlaylistFiles.h"

namespace {

// A setting libmpv takes before it starts. A setting that is not `required` belongs to a part of
// libmpv that a build may leave out (the Lua scripts); without that part it cannot act anyway.
struct Setting {
  const char* name;
  const char* value;
  bool required;
};

// The player is a part of the agent, not a program of its own: it reads no configuration of the
// user's player, runs no scripts, fetches nothing from the network (even when a local file refers
// to an address), takes no keys or clicks in its video window and prints nothing.
constexpr std::array kSettings = {
    Setting{"config", "no", true},
    Setting{"load-scripts", "no", true},
    Setting{"osc", "no", false},
    Setting{"ytdl", "no", false},
    Setting{"load-stats-overlay", "no", false},
    Setting{"load-osd-console", "no", false},
    Setting{"load-auto-profiles", "no", false},
    Setting{"input-default-bindings", "no", true},
    Setting{"input-vo-keyboard", "no", true},
    Setting{"input-cursor", "no", true},
    Setting{"idle", "yes", true},
    Setting{"terminal", "no", true},
    Setting{"msg-level", "all=no", true},
    // Cover art would open the video window for an audio file.
    Setting{"audio-display", "no", true},
    // A position the user's own player saved would break "a stopped item starts at its start".
    Setting{"resume-playback", "no", true},
    Setting{"demuxer-lavf-o", "protocol_whitelist=file", true},
    Setting{"stream-lavf-o", "protocol_whitelist=file", true},
    Setting{"volume-max", "100", true},
    Setting{"volume", "50", true},
    Setting{"audio-client-name", "Corvane", false},
};

[[nodiscard]] bool applySetting(mpv_handle* handle, const Setting& setting) {
  const int status = mpv_set_option_string(handle, setting.name, setting.value);
  return status >= 0 || (!setting.required && status == MPV_ERROR_OPTION_NOT_FOUND);
}

[[nodiscard]] bool applyOutput(mpv_handle* handle, const char* name, const QString& value) {
  if (value.isEmpty()) {
    return true;
  }
  return mpv_set_option_string(handle, name, value.toUtf8().constData()) >= 0;
}

// The name an item shows when it has no title of its own.
[[nodiscard]] QString nameFromPath(const QString& path) {
  const QFileInfo info(path);
  const QString base = info.completeBaseName();
  if (!base.trimmed().isEmpty()) {
    return base;
  }
  const QString fileName = info.fileName();
  return fileName.isEmpty() ? path : fileName;
}

[[nodiscard]] const mpv_node* mapValue(const mpv_node& map, const char* key) {
  if (map.format != MPV_FORMAT_NODE_MAP || map.u.list == nullptr) {
    return nullptr;
  }
  for (int i = 0; i < map.u.list->num; ++i) {
    if (qstrcmp(map.u.list->keys[i], key) == 0) {
      return &map.u.list->values[i];
    }
  }
  return nullptr;
}

}  // namespace

std::unique_ptr<MpvMediaPlayer> MpvMediaPlayer::create(QWidget& videoHost,
                                                       const MpvPlayerOptions& options) {
  // libmpv parses numbers with the C library and refuses to start under any other numeric locale;
  // Qt sets the user's locale when the application starts.
  std::setlocale(LC_NUMERIC, "C");
  mpv_handle* handle = mpv_create();
  if (handle == nullptr) {
    return nullptr;
  }
  bool accepted = true;
  for (const Setting& setting : kSettings) {
    accepted = accepted && applySetting(handle, setting);
  }
  accepted = accepted && applyOutput(handle, "ao", options.audioOutput) &&
             applyOutput(handle, "vo", options.videoOutput);
  if (options.untimed) {
    accepted = accepted && mpv_set_option_string(handle, "ao-null-untimed", "yes") >= 0;
  }

  // A top-level window of its own: on X11 a window embedded in the hidden host cannot go full
  // screen. Qt deletes it with the host.
  auto* window = new QWidget(&videoHost, Qt::Window);
  window->setWindowTitle(QStringLiteral("Corvane video"));
  window->setAttribute(Qt::WA_DontCreateNativeAncestors);
  window->setAttribute(Qt::WA_NativeWindow);
  QPalette palette = window->palette();
  palette.setColor(QPalette::Window, Qt::black);
  window->setPalette(palette);
  window->setAutoFillBackground(true);
  auto windowId = static_cast<int64_t>(window->winId());
  accepted = accepted && mpv_set_option(handle, "wid", MPV_FORMAT_INT64, &windowId) >= 0;

  if (!accepted || mpv_initialize(handle) < 0) {
    mpv_terminate_destroy(handle);
    delete window;
    return nullptr;
  }
  return std::unique_ptr<MpvMediaPlayer>(new MpvMediaPlayer(handle, window, options));
}

MpvMediaPlayer::MpvMediaPlayer(mpv_handle* handle, QWidget* videoWindow, MpvPlayerOptions options)
    : handle_(handle),
      videoWindow_(videoWindow),
      options_(std::move(options)),
      wakeTarget_(std::make_unique<QObject>()) {
  mpv_set_wakeup_callback(handle_, &MpvMediaPlayer::onWakeup, this);
}

MpvMediaPlayer::~MpvMediaPlayer() {
  // After this returns libmpv calls no more; notes already posted die with wakeTarget_.
  mpv_set_wakeup_callback(handle_, nullptr, nullptr);
  mpv_terminate_destroy(handle_);
  wakeTarget_.reset();
  delete videoWindow_.data();
}

void MpvMediaPlayer::onWakeup(void* player) {
  // Called on one of libmpv's threads: only post, and only once until the window thread drains.
  auto* self = static_cast<MpvMediaPlayer*>(player);
  if (self->drainPosted_.exchange(true)) {
    return;
  }
  QMetaObject::invokeMethod(
      self->wakeTarget_.get(), [self] { self->drainEvents(); }, Qt::QueuedConnection);
}

void MpvMediaPlayer::drainEvents() {
  drainPosted_.store(false);
  while (!shutDown_) {
    const mpv_event* event = mpv_wait_event(handle_, 0);
    if (event->event_id == MPV_EVENT_NONE) {
      return;
    }
    handleEvent(*event);
  }
}

void MpvMediaPlayer::handleEvent(const mpv_event& event) {
  switch (event.event_id) {
    case MPV_EVENT_START_FILE:
      startingEntryId_ = static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id;
      loadedEntryId_ = 0;
      break;
    case MPV_EVENT_FILE_LOADED:
      loadedEntryId_ = startingEntryId_;
      break;
    case MPV_EVENT_END_FILE: {
      const auto* end = static_cast<const mpv_event_end_file*>(event.data);
      if (end->playlist_entry_id == loadedEntryId_) {
        loadedEntryId_ = 0;
      }
      break;
    }
    case MPV_EVENT_SHUTDOWN:
      shutDown_ = true;
      break;
    default:
      break;
  }
}

bool MpvMediaPlayer::alive() const { return !shutDown_; }

bool MpvMediaPlayer::command(std::initializer_list<const char*> arguments) {
  if (!alive()) {
    return false;
  }
  std::vector<const char*> list(arguments);
  list.push_back(nullptr);
  return mpv_command(handle_, list.data()) >= 0;
}

bool MpvMediaPlayer::setFlag(const char* name, bool value) {
  if (!alive()) {
    return false;
  }
  int flagValue = value ? 1 : 0;
  return mpv_set_property(handle_, name, MPV_FORMAT_FLAG, &flagValue) >= 0;
}

std::optional<bool> MpvMediaPlayer::flag(const char* name) {
  int flagValue = 0;
  if (!alive() || mpv_get_property(handle_, name, MPV_FORMAT_FLAG, &flagValue) < 0) {
    return std::nullopt;
  }
  return flagValue != 0;
}

std::optional<qint64> MpvMediaPlayer::currentPosition() {
  int64_t position = -1;
  if (!alive() || mpv_get_property(handle_, "playlist-pos", MPV_FORMAT_INT64, &position) < 0 ||
      position < 0) {
    return std::nullopt;
  }
  return position;
}

std::optional<qint64> MpvMediaPlayer::entryIdAt(qint64 position) {
  const QByteArray name = "playlist/" + QByteArray::number(position) + "/id";
  int64_t id = 0;
  if (!alive() || mpv_get_property(handle_, name.constData(), MPV_FORMAT_INT64, &id) < 0) {
    return std::nullopt;
  }
  return id;
}

void MpvMediaPlayer::refreshModel() {
  model_.clear();
  mpv_node playlist{};
  if (!alive() || mpv_get_property(handle_, "playlist", MPV_FORMAT_NODE, &playlist) < 0) {
    return;
  }
  if (playlist.format == MPV_FORMAT_NODE_ARRAY && playlist.u.list != nullptr) {
    model_.reserve(static_cast<std::size_t>(playlist.u.list->num));
    for (int i = 0; i < playlist.u.list->num; ++i) {
      const mpv_node& item = playlist.u.list->values[i];
      const mpv_node* id = mapValue(item, "id");
      const mpv_node* filename = mapValue(item, "filename");
      Entry entry;
      if (id != nullptr && id->format == MPV_FORMAT_INT64) {
        entry.id = id->u.int64;
      }
      if (filename != nullptr && filename->format == MPV_FORMAT_STRING) {
        entry.path = QString::fromUtf8(filename->u.string);
      }
      model_.push_back(std::move(entry));
    }
  }
  mpv_free_node_contents(&playlist);
}

std::optional<QString> MpvMediaPlayer::modelPath(qint64 position, qint64 id) {
  const auto matches = [&] {
    return position < static_cast<qint64>(model_.size()) &&
           model_[static_cast<std::size_t>(position)].id == id;
  };
  if (!matches()) {
    // libmpv changed the playlist by itself; follow it.
    refreshModel();
  }
  if (!matches()) {
    return std::nullopt;
  }
  return model_[static_cast<std::size_t>(position)].path;
}

void MpvMediaPlayer::waitForCurrentLoad() {
  drainEvents();
  const QDeadlineTimer deadline(kNameLoadWaitMs);
  while (alive()) {
    const std::optional<qint64> position = currentPosition();
    if (!position) {
      return;
    }
    const std::optional<qint64> id = entryIdAt(*position);
    if (!id || *id == loadedEntryId_) {
      return;
    }
    const qint64 remaining = deadline.remainingTime();
    if (remaining <= 0) {
      return;
    }
    const mpv_event* event = mpv_wait_event(handle_, static_cast<double>(remaining) / 1000.0);
    if (event->event_id != MPV_EVENT_NONE) {
      handleEvent(*event);
    }
  }
}

bool MpvMediaPlayer::answers() {
  if (!alive()) {
    return false;
  }
  drainEvents();
  // A core that has shut down keeps its handle but answers no property.
  char* version = alive() ? mpv_get_property_string(handle_, "mpv-version") : nullptr;
  const bool answered = version != nullptr;
  mpv_free(version);
  return answered;
}

std::optional<qint32> MpvMediaPlayer::volume() {
  double value = 0;
  if (!alive() || mpv_get_property(handle_, "volume", MPV_FORMAT_DOUBLE, &value) < 0 ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return static_cast<qint32>(std::lround(value));
}

bool MpvMediaPlayer::setVolume(qint32 percent) {
  if (!alive() || percent < 0 || percent > 100) {
    return false;
  }
  double value = percent;
  return mpv_set_property(handle_, "volume", MPV_FORMAT_DOUBLE, &value) >= 0;
}

bool MpvMediaPlayer::setMute(bool mute) { return setFlag("mute", mute); }

bool MpvMediaPlayer::setAutoStart(bool autoStart) {
  if (!alive()) {
    return false;
  }
  autoStart_ = autoStart;
  return true;
}

bool MpvMediaPlayer::setRepeat(bool repeat) {
  return alive() && mpv_set_property_string(handle_, "loop-playlist", repeat ? "inf" : "no") >= 0;
}

bool MpvMediaPlayer::setShuffle(bool shuffle) {
  if (!alive()) {
    return false;
  }
  shuffle_ = shuffle;
  const bool done = command({shuffle ? "playlist-shuffle" : "playlist-unshuffle"});
  refreshModel();
  return done;
}

std::optional<QString> MpvMediaPlayer::currentMediaName() {
  waitForCurrentLoad();
  const std::optional<qint64> position = currentPosition();
  if (!position) {
    return std::nullopt;
  }
  const std::optional<qint64> id = entryIdAt(*position);
  if (!id) {
    return std::nullopt;
  }
  if (*id == loadedEntryId_) {
    char* title = mpv_get_property_string(handle_, "metadata/by-key/title");
    const QString tagged = title != nullptr ? QString::fromUtf8(title) : QString();
    mpv_free(title);
    // The metadata is the open file's; it counts only while that is still the current entry.
    if (!tagged.trimmed().isEmpty() && entryIdAt(*position) == id) {
      return tagged;
    }
  }
  std::optional<QString> path = modelPath(*position, *id);
  if (!path) {
    return std::nullopt;
  }
  return nameFromPath(*path);
}

QString MpvMediaPlayer::libraryFolder() const {
  return options_.libraryFolder.isEmpty() ? MpvMediaPlayers::defaultLibraryFolder()
                                          : options_.libraryFolder;
}

std::optional<std::vector<playlistfiles::PlaylistFile>> MpvMediaPlayer::readLibrary() const {
  const QString folder = libraryFolder();
  const QFileInfo folderInfo(folder);
  // A missing music folder is an empty library; one that exists but cannot be read is not known.
  if (folder.isEmpty() || !folderInfo.exists()) {
    return std::vector<playlistfiles::PlaylistFile>{};
  }
  if (!folderInfo.isDir() || !folderInfo.isReadable() || !folderInfo.isExecutable()) {
    return std::nullopt;
  }
  std::vector<playlistfiles::PlaylistFile> files;
  for (const QString& path : playlistfiles::playlistFilesIn(folder)) {
    if (auto file = playlistfiles::readPlaylistFile(path)) {
      files.push_back(std::move(*file));
    }
  }
  return files;
}

std::optional<std::vector<MediaPlayer::Playlist>> MpvMediaPlayer::playlists() {
  if (!alive()) {
    return std::nullopt;
  }
  const auto files = readLibrary();
  if (!files) {
    return std::nullopt;
  }
  std::vector<Playlist> result;
  result.reserve(files->size());
  for (const playlistfiles::PlaylistFile& file : *files) {
    result.push_back(Playlist{file.title, file.type});
  }
  return result;
}

bool MpvMediaPlayer::setCurrentPlaylist(std::optional<qsizetype> index) {
  if (!alive()) {
    return false;
  }
  if (!index) {
    stopped_ = false;
    const bool emptied = command({"stop"});
    refreshModel();
    return emptied;
  }
  // The library is listed again: the caller's index counts in the library as it is now.
  const auto files = readLibrary();
  if (!files || *index < 0 || *index >= static_cast<qsizetype>(files->size())) {
    return false;
  }
  const playlistfiles::PlaylistFile& file = (*files)[static_cast<std::size_t>(*index)];

  // The playlist is built while nothing plays, so that a shuffle decides its first item too.
  if (!command({"stop"}) || !setFlag("pause", !autoStart_)) {
    return false;
  }
  stopped_ = !autoStart_;
  for (const QString& entry : file.entries) {
    // Only local files: anything else would be taken by libmpv as an address or an option.
    if (!entry.startsWith(QLatin1Char('/')) || entry.contains(QChar(u'\0'))) {
      continue;
    }
    const QByteArray path = entry.toUtf8();
    if (!command({"loadfile", path.constData(), "append"})) {
      return false;
    }
  }
  if (shuffle_) {
    (void)command({"playlist-shuffle"});
  }
  refreshModel();
  if (model_.empty()) {
    return true;
  }
  return startFirstItem();
}

bool MpvMediaPlayer::startFirstItem() {
  int64_t first = 0;
  if (mpv_set_property(handle_, "playlist-pos", MPV_FORMAT_INT64, &first) < 0) {
    return false;
  }
  // libmpv takes up a position set while it idles only when it starts that entry; a skip asked
  // for before then is undone.
  waitForCurrentLoad();
  return true;
}

std::optional<qint32> MpvMediaPlayer::playState() {
  if (!alive()) {
    return std::nullopt;
  }
  drainEvents();
  if (!currentPosition() || stopped_) {
    return kStopped;
  }
  const std::optional<bool> paused = flag("pause");
  if (!paused) {
    return std::nullopt;
  }
  return *paused ? kPaused : kPlaying;
}

bool MpvMediaPlayer::seekToStart() { return command({"seek", "0", "absolute+exact"}); }

std::optional<double> MpvMediaPlayer::positionSeconds() {
  double seconds = 0;
  if (!alive() || mpv_get_property(handle_, "time-pos", MPV_FORMAT_DOUBLE, &seconds) < 0 ||
      !std::isfinite(seconds)) {
    return std::nullopt;
  }
  // libmpv takes the audio output's delay off the position, which makes it a little below 0 right
  // after a seek to the start.
  return std::max(seconds, 0.0);
}

std::optional<bool> MpvMediaPlayer::muted() { return flag("mute"); }

bool MpvMediaPlayer::play() {
  if (!alive()) {
    return false;
  }
  drainEvents();
  if (!currentPosition()) {
    // After the end of the playlist, play starts it again from its first item.
    if (model_.empty()) {
      return false;
    }
    if (!startFirstItem()) {
      return false;
    }
  } else if (stopped_) {
    // A stopped item was sent back to its start; a seek fails only while the item is still being
    // opened, and then it starts at its start anyway.
    (void)seekToStart();
  }
  if (!setFlag("pause", false)) {
    return false;
  }
  stopped_ = false;
  return true;
}

bool MpvMediaPlayer::pause() {
  if (!alive() || !currentPosition()) {
    return false;
  }
  // Pausing a stopped item leaves it stopped.
  return setFlag("pause", true);
}

bool MpvMediaPlayer::stop() {
  if (!alive()) {
    return false;
  }
  if (!currentPosition()) {
    stopped_ = false;
    return true;
  }
  if (!setFlag("pause", true)) {
    return false;
  }
  stopped_ = true;
  (void)seekToStart();
  return true;
}

bool MpvMediaPlayer::next() { return command({"playlist-next"}); }

bool MpvMediaPlayer::previous() { return command({"playlist-prev"}); }

bool MpvMediaPlayer::setFullScreen(bool on) {
  if (videoWindow_.isNull()) {
    return false;
  }
  if (on) {
    videoWindow_->showFullScreen();
    videoWindow_->raise();
    videoWindow_->activateWindow();
  } else {
    videoWindow_->hide();
  }
  return true;
}
