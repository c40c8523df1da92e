#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

// The playlist files of the media library, read by our own tolerant readers: WPL (.wpl), the
// ASX family (.asx, .wax, .wvx) and M3U (.m3u, .m3u8). A file that is unreadable, too large, binary
// (a NUL in its first KB) or not of its format (markup without its root element) is skipped; a
// damaged one gives what could be read. Entries are local files only: streams and other machines'
// paths are left out, and whether a file exists is the player's to find out.
namespace playlistfiles {

// Larger files are not read at all.
inline constexpr qint64 kMaxPlaylistBytes = 4 * 1024 * 1024;
// Entries past this many are dropped.
inline constexpr qsizetype kMaxEntries = 10000;
// Elements nested deeper than this are not looked into.
inline constexpr int kMaxDepth = 64;

struct PlaylistFile {
  // The playlist's own title where its format has one, else the file name without extension.
  QString title;
  // "WPL", "ASX", "WAX", "WVX" or "M3U" (for .m3u and .m3u8).
  QString type;
  // Absolute paths of local files, in the playlist's order.
  QStringList entries;
};

// The format of a playlist file, by its extension in any case; no value when it is none of them.
[[nodiscard]] std::optional<QString> typeOfFile(const QString& path);

// Reads the playlist file at `path`; no value when it is skipped.
[[nodiscard]] std::optional<PlaylistFile> readPlaylistFile(const QString& path);

// Reads playlist text of format `type` (as typeOfFile gives it, in any case) that was read from
// `path` (relative entries are resolved against its folder; its name gives the fallback title, its
// extension tells .m3u8, which is always UTF-8, from .m3u). Never touches the file system.
[[nodiscard]] std::optional<PlaylistFile> parsePlaylist(QByteArrayView bytes, const QString& type,
                                                        const QString& path);

// The playlist files directly in `folder` (regular files and links to them, hidden ones too), as
// absolute paths in a stable order (by file name, ignoring case, then exactly); empty when the
// folder is empty text or cannot be listed.
[[nodiscard]] QStringList playlistFilesIn(const QString& folder);

}  // namespace playlistfiles
