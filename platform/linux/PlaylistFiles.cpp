#include "platform/linux/PlaylistFiles.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLatin1StringView>
#include <QStringDecoder>
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/Windows1252.h"
#include "platform/linux/PlaylistEntries.h"
#include "platform/linux/PlaylistM3uReader.h"
#include "platform/linux/PlaylistXmlReader.h"

namespace playlistfiles {

namespace {

using L1 = QLatin1StringView;

// A text file has no NUL byte near its start; a file that does is a recording or another binary
// named like a playlist.
constexpr qsizetype kBinaryProbeBytes = 1024;

bool looksBinary(QByteArrayView bytes) {
  const qsizetype probe = std::min(bytes.size(), kBinaryProbeBytes);
  return probe > 0 && std::memchr(bytes.data(), 0, static_cast<std::size_t>(probe)) != nullptr;
}

// UTF-8 when the bytes are UTF-8 (or `utf8Only`), else Windows-1252, which also reads the Latin-1
// files of older writers. A UTF-8 sequence cut by the file's end is not counted against it: the
// decoder keeps it pending and it is dropped.
QString decodeText(QByteArrayView bytes, bool utf8Only) {
  if (bytes.startsWith("\xEF\xBB\xBF")) {
    bytes = bytes.sliced(3);
  }
  QStringDecoder utf8(QStringConverter::Utf8);
  QString text = utf8.decode(bytes);
  if (utf8.hasError() && !utf8Only) {
    return windows1252::decode(bytes.data(), bytes.size());
  }
  return text;
}

}  // namespace

std::optional<QString> typeOfFile(const QString& path) {
  const QString suffix = QFileInfo(path).suffix();
  for (const L1 type : {L1("wpl"), L1("asx"), L1("wax"), L1("wvx"), L1("m3u")}) {
    if (suffix.compare(type, Qt::CaseInsensitive) == 0) {
      return QString(type).toUpper();
    }
  }
  if (suffix.compare(L1("m3u8"), Qt::CaseInsensitive) == 0) {
    return QStringLiteral("M3U");
  }
  return std::nullopt;
}

std::optional<PlaylistFile> readPlaylistFile(const QString& path) {
  const std::optional<QString> type = typeOfFile(path);
  if (!type) {
    return std::nullopt;
  }
  // Only a regular file (or a link to one): a FIFO or device would block or never end.
  const QFileInfo info(path);
  if (!info.isFile() || info.size() > kMaxPlaylistBytes) {
    return std::nullopt;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return std::nullopt;
  }
  // The file may have grown since it was measured.
  const QByteArray bytes = file.read(kMaxPlaylistBytes + 1);
  if (bytes.size() > kMaxPlaylistBytes) {
    return std::nullopt;
  }
  return parsePlaylist(bytes, *type, path);
}

std::optional<PlaylistFile> parsePlaylist(QByteArrayView bytes, const QString& type,
                                          const QString& path) {
  if (bytes.size() > kMaxPlaylistBytes || looksBinary(bytes)) {
    return std::nullopt;
  }
  const QFileInfo info(path);
  const QString folder = info.absolutePath();
  const QString upperType = type.toUpper();
  std::optional<PlaylistContent> content;
  if (upperType == L1("M3U")) {
    const bool utf8Only = info.suffix().compare(L1("m3u8"), Qt::CaseInsensitive) == 0;
    content = readM3uPlaylist(decodeText(bytes, utf8Only), folder);
  } else if (upperType == L1("WPL")) {
    content = readXmlPlaylist(decodeText(bytes, false), XmlPlaylistFormat::Wpl, folder);
  } else if (upperType == L1("ASX") || upperType == L1("WAX") || upperType == L1("WVX")) {
    content = readXmlPlaylist(decodeText(bytes, false), XmlPlaylistFormat::Asx, folder);
  } else {
    return std::nullopt;
  }
  if (!content) {
    return std::nullopt;
  }
  QString title = content->title.trimmed();
  if (title.isEmpty()) {
    title = info.completeBaseName();
  }
  return PlaylistFile{std::move(title), upperType, std::move(content->entries)};
}

QStringList playlistFilesIn(const QString& folder) {
  if (folder.isEmpty()) {
    return {};
  }
  // QDir::Files takes links to files and leaves out folders, broken links, FIFOs and devices.
  const QFileInfoList found =
      QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort);
  std::vector<QFileInfo> playlists;
  for (const QFileInfo& info : found) {
    if (typeOfFile(info.fileName())) {
      playlists.push_back(info);
    }
  }
  std::sort(playlists.begin(), playlists.end(), [](const QFileInfo& a, const QFileInfo& b) {
    const QString nameA = a.fileName();
    const QString nameB = b.fileName();
    const int ignoringCase = nameA.compare(nameB, Qt::CaseInsensitive);
    return ignoringCase != 0 ? ignoringCase < 0 : nameA.compare(nameB, Qt::CaseSensitive) < 0;
  });
  QStringList paths;
  paths.reserve(static_cast<qsizetype>(playlists.size()));
  for (const QFileInfo& info : playlists) {
    paths.append(info.absoluteFilePath());
  }
  return paths;
}

}  // namespace playlistfiles
