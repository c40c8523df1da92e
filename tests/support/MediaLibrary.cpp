#include "tests/support/MediaLibrary.h"

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <cstdio>

namespace medialibrary {

bool makeTone(const QString& path, int seconds, const QString& title) {
  QStringList arguments{QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("8000"),
                        QStringLiteral("-c"), QStringLiteral("1")};
  if (!title.isEmpty()) {
    arguments << QStringLiteral("--comment") << QStringLiteral("Title=") + title;
  }
  arguments << path << QStringLiteral("synth") << QString::number(seconds) << QStringLiteral("sine")
            << QStringLiteral("440");
  QProcess sox;
  sox.setProcessChannelMode(QProcess::ForwardedChannels);
  sox.start(QStringLiteral("sox"), arguments);
  if (!sox.waitForStarted(5000)) {
    std::fprintf(stderr, "sox is not installed (scripts/setup-debian.sh installs it)\n");
    return false;
  }
  if (!sox.waitForFinished(60000) || sox.exitStatus() != QProcess::NormalExit ||
      sox.exitCode() != 0) {
    std::fprintf(stderr, "sox could not make %s\n", qPrintable(path));
    return false;
  }
  return true;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

}  // namespace medialibrary
