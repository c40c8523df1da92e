#include "platform/linux/PlaylistEntries.h"

#include <QByteArray>
#include <QDir>
#include <QLatin1StringView>
#include <QStringDecoder>

#include "platform/Windows1252.h"
#include "platform/linux/PlaylistFiles.h"

namespace playlistfiles {

namespace {

bool isAsciiLetter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// The scheme the reference starts with (without its ":"), or an empty view when it has none.
QStringView schemeOf(QStringView reference) {
  if (reference.isEmpty() || !isAsciiLetter(reference[0])) {
    return {};
  }
  for (qsizetype i = 1; i < reference.size(); ++i) {
    const QChar c = reference[i];
    if (c == u':') {
      return reference.first(i);
    }
    if (!isAsciiLetter(c) && !(c >= u'0' && c <= u'9') && c != u'+' && c != u'-' && c != u'.') {
      return {};
    }
  }
  return {};
}

// "C:", "C:\..." or "/C:/..." (a drive in a file URL).
bool isWindowsDrivePath(QStringView path) {
  if (path.startsWith(u'/')) {
    path = path.sliced(1);
  }
  return path.size() >= 2 && isAsciiLetter(path[0]) && path[1] == u':' &&
         (path.size() == 2 || path[2] == u'/' || path[2] == u'\\');
}

// Percent escapes stand for UTF-8 bytes; a writer that escaped the bytes of its own code page
// gets them read as Windows-1252.
QString percentDecoded(QStringView text) {
  const QByteArray bytes = QByteArray::fromPercentEncoding(text.toUtf8());
  QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  QString decoded = utf8.decode(bytes);
  if (utf8.hasError()) {
    return windows1252::decode(bytes);
  }
  return decoded;
}

// The path of a "file:" URL (the text after "file:"); nothing when the file lives on another host.
std::optional<QString> pathOfFileUrl(QStringView rest) {
  if (rest.startsWith(QLatin1StringView("//"))) {
    rest = rest.sliced(2);
    qsizetype slash = 0;
    while (slash < rest.size() && rest[slash] != u'/' && rest[slash] != u'\\') {
      ++slash;
    }
    const QStringView host = rest.first(slash);
    if (!host.isEmpty() && host.compare(QLatin1StringView("localhost"), Qt::CaseInsensitive) != 0) {
      return std::nullopt;
    }
    rest = rest.sliced(slash);
  }
  QString path = percentDecoded(rest);
  path.replace(u'\\', u'/');
  if (path.isEmpty() || isWindowsDrivePath(path)) {
    return std::nullopt;
  }
  return path;
}

}  // namespace

std::optional<QString> localEntryPath(QStringView reference, const QString& folder) {
  reference = reference.trimmed();
  if (reference.isEmpty() || reference.startsWith(QLatin1StringView("\\\\"))) {
    return std::nullopt;
  }
  QString path;
  const QStringView scheme = schemeOf(reference);
  if (scheme.isEmpty()) {
    path = reference.toString();
    path.replace(u'\\', u'/');
  } else if (scheme.compare(QLatin1StringView("file"), Qt::CaseInsensitive) == 0) {
    std::optional<QString> urlPath = pathOfFileUrl(reference.sliced(scheme.size() + 1));
    if (!urlPath) {
      return std::nullopt;
    }
    path = std::move(*urlPath);
  } else {
    // A one-letter scheme is a Windows drive.
    return std::nullopt;
  }
  // No file name holds a NUL; the player could not open it.
  if (path.contains(QChar(u'\0'))) {
    return std::nullopt;
  }
  if (!path.startsWith(u'/')) {
    path = folder + u'/' + path;
  }
  return QDir::cleanPath(path);
}

bool PlaylistEntries::add(QStringView reference) {
  if (entries_.size() >= kMaxEntries) {
    return false;
  }
  std::optional<QString> path = localEntryPath(reference, folder_);
  if (!path) {
    return false;
  }
  entries_.append(std::move(*path));
  return true;
}

}  // namespace playlistfiles
