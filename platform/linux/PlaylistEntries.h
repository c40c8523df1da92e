#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>
#include <utility>

namespace playlistfiles {

// What a reader found in a playlist: its own title as written (possibly blank) and its entries.
struct PlaylistContent {
  QString title;
  QStringList entries;
};

// The local file a playlist entry names, as a clean absolute path; nothing when it names none.
// A relative path is taken from the playlist's folder, as the player that wrote it did; "\" is the
// Windows separator. A "file:" URL names a local file when it has no host or "localhost"; its
// "?" and "#" stay part of the name, since writers leave them unescaped. Any other scheme is a
// stream, a Windows drive ("C:\") or share ("\\server") is no file of this machine: none of them
// is played from the library. A scheme is what RFC 3986 calls one (a letter, then letters, digits,
// "+", "-" or ".", then ":"), so a relative name such as "Live: 1999.mp3" reads as a scheme and is
// skipped; "./Live: 1999.mp3" is a file.
[[nodiscard]] std::optional<QString> localEntryPath(QStringView reference, const QString& folder);

// Collects a playlist's entries up to the library's limit.
class PlaylistEntries {
 public:
  explicit PlaylistEntries(QString folder) : folder_(std::move(folder)) {}

  // Adds the local file the reference names; false when it names none or the list is full.
  bool add(QStringView reference);

  [[nodiscard]] QStringList take() { return std::move(entries_); }

 private:
  QString folder_;
  QStringList entries_;
};

}  // namespace playlistfiles
