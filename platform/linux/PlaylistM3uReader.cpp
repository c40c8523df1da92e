#include "platform/linux/PlaylistM3uReader.h"

#include <QLatin1StringView>

namespace playlistfiles {

PlaylistContent readM3uPlaylist(QStringView text, const QString& folder) {
  const QLatin1StringView titleDirective("#PLAYLIST:");
  PlaylistEntries entries(folder);
  QString title;
  qsizetype start = 0;
  while (start < text.size()) {
    qsizetype end = start;
    while (end < text.size() && text[end] != u'\n' && text[end] != u'\r') {
      ++end;
    }
    const QStringView line = text.sliced(start, end - start).trimmed();
    start = end + 1;
    if (end + 1 < text.size() && text[end] == u'\r' && text[end + 1] == u'\n') {
      ++start;
    }
    if (line.isEmpty()) {
      continue;
    }
    if (line.startsWith(u'#')) {
      if (title.isEmpty() && line.startsWith(titleDirective, Qt::CaseInsensitive)) {
        title = line.sliced(titleDirective.size()).trimmed().toString();
      }
      continue;
    }
    entries.add(line);
  }
  return PlaylistContent{title, entries.take()};
}

}  // namespace playlistfiles
