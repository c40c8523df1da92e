#include <QByteArrayView>
#include <QDir>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/linux/PlaylistFiles.h"

// Any bytes as a playlist file; the first byte picks its name, so every reader gets the input.
// The reader must neither crash nor give entries that break the promises the player relies on:
// no more than the limit, each a clean absolute path, and a title that is never blank.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  static const std::array<QString, 6> kNames = {
      QStringLiteral("/music/fuzz.wpl"), QStringLiteral("/music/fuzz.asx"),
      QStringLiteral("/music/fuzz.wax"), QStringLiteral("/music/fuzz.wvx"),
      QStringLiteral("/music/fuzz.m3u"), QStringLiteral("/music/fuzz.m3u8")};
  const QString& path = kNames[data[0] % kNames.size()];
  const QByteArrayView bytes(data + 1, static_cast<qsizetype>(size - 1));
  const auto type = playlistfiles::typeOfFile(path);
  if (!type) {
    std::abort();
  }
  const auto playlist = playlistfiles::parsePlaylist(bytes, *type, path);
  if (!playlist) {
    return 0;
  }
  if (playlist->type != *type || playlist->title.isEmpty() ||
      playlist->title != playlist->title.trimmed() ||
      playlist->entries.size() > playlistfiles::kMaxEntries) {
    std::abort();
  }
  for (const QString& entry : playlist->entries) {
    if (!entry.startsWith(u'/') || QDir::cleanPath(entry) != entry) {
      std::abort();
    }
  }
  return 0;
}
