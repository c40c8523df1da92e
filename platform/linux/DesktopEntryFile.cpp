#include "platform/linux/DesktopEntryFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringView>

QString WithoutValueEscapes(QStringView value) {
  QString out;
  out.reserve(value.size());
  for (qsizetype i = 0; i < value.size(); ++i) {
    const QChar c = value[i];
    if (c != u'\\' || i + 1 == value.size()) {
      out.append(c);
      continue;
    }
    const QChar next = value[++i];
    if (next == u's') {
      out.append(u' ');
    } else if (next == u'n') {
      out.append(u'\n');
    } else if (next == u't') {
      out.append(u'\t');
    } else if (next == u'r') {
      out.append(u'\r');
    } else if (next == u'\\') {
      out.append(u'\\');
    } else {
      out.append(c).append(next);
    }
  }
  return out;
}

std::optional<DesktopEntryGroup> ReadDesktopEntryGroup(const QString& path, qint64 maxBytes) {
  if (!QFileInfo(path).isFile()) {
    return std::nullopt;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return std::nullopt;
  }
  QByteArray bytes = file.read(maxBytes);
  if (!file.atEnd()) {
    bytes.truncate(bytes.lastIndexOf('\n') + 1);
  }
  const QString text = QString::fromUtf8(bytes);
  DesktopEntryGroup group;
  bool inMainGroup = false;
  for (const QStringView rawLine : QStringView(text).split(u'\n')) {
    const QStringView line = rawLine.trimmed();
    if (line.startsWith(u'[')) {
      inMainGroup = line == u"[Desktop Entry]";
      continue;
    }
    const qsizetype equals = line.indexOf(u'=');
    if (!inMainGroup || line.startsWith(u'#') || equals <= 0) {
      continue;
    }
    const QString key = line.first(equals).trimmed().toString();
    if (!group.contains(key)) {
      group.insert(key, WithoutValueEscapes(line.sliced(equals + 1).trimmed()));
    }
  }
  return group;
}
