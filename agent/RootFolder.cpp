#include "agent/RootFolder.h"

#include <QList>
#include <QStringView>

std::optional<QString> FolderBelowRoot(const QString& folder) {
  QString path = folder;
  path.replace(u'\\', u'/');
  qsizetype leading = 0;
  while (leading < path.size() && path[leading] == u'/') {
    ++leading;
  }
  path.remove(0, leading);
  if (path.contains(QChar(u'\0'))) {
    return std::nullopt;
  }
  for (const QStringView part : QStringView(path).split(u'/')) {
    if (part == u"..") {
      return std::nullopt;
    }
  }
  return path;
}
