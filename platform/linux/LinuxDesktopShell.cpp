#include "platform/linux/LinuxDesktopShell.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>
#include <optional>

#include "platform/DesktopEntryExec.h"
#include "platform/linux/DesktopEntryFile.h"

namespace {

// The keys of the file's [Desktop Entry] group, read within the bound of an entry.
std::optional<DesktopEntryGroup> readDesktopEntryGroup(const QString& path) {
  return ReadDesktopEntryGroup(path, LinuxDesktopShell::kMaxDesktopEntryBytes);
}

// The local path that `pathOrAddress` names when it is a desktop entry file: a path or a file:
// URL ending in ".desktop" (in any case, as the desktop's type detection reads it) that is not a
// folder.
std::optional<QString> desktopEntryFile(const QString& pathOrAddress) {
  static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
  QString path = pathOrAddress;
  if (pathOrAddress.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive)) {
    const QUrl url(pathOrAddress);
    if (!url.isLocalFile()) {
      return std::nullopt;
    }
    path = url.toLocalFile();
  } else if (scheme.match(pathOrAddress).hasMatch()) {
    return std::nullopt;  // an address, which is the opener's affair
  }
  if (!path.endsWith(QStringLiteral(".desktop"), Qt::CaseInsensitive) || QFileInfo(path).isDir()) {
    return std::nullopt;
  }
  return path;
}

bool launchDesktopEntry(const QString& path) {
  const auto entry = readDesktopEntryGroup(path);
  if (!entry || entry->value(QStringLiteral("Type")) != u"Application" ||
      entry->value(QStringLiteral("Hidden")) == u"true") {
    return false;
  }
  const auto exec = entry->constFind(QStringLiteral("Exec"));
  if (exec == entry->cend()) {
    return false;
  }
  auto arguments = desktopentryexec::arguments(*exec, {});
  if (!arguments) {
    return false;
  }
  const QString program = arguments->takeFirst();
  // An empty Path leaves the agent's working folder, as the entry then asks for none.
  return QProcess::startDetached(program, *arguments, entry->value(QStringLiteral("Path")));
}

}  // namespace

bool LinuxDesktopShell::openWithDefaultApplication(const QString& pathOrAddress) {
  if (pathOrAddress.isEmpty()) {
    return false;
  }
  if (const auto entryPath = desktopEntryFile(pathOrAddress)) {
    return launchDesktopEntry(*entryPath);
  }
  QString argument = pathOrAddress;
  if (argument.startsWith(u'-')) {
    argument.prepend(QStringLiteral("./"));
  }
  return QProcess::startDetached(QStringLiteral("xdg-open"), {argument});
}

bool LinuxDesktopShell::startProgram(const QString& program, const QStringList& arguments,
                                     WindowStyle style) {
  // X11 gives a starter no say over the new program's first window (see the header).
  (void)style;
  if (program.isEmpty()) {
    return false;
  }
  return QProcess::startDetached(program, arguments);
}

QString LinuxDesktopShell::defaultBrowserCommand() {
  QProcess settings;
  settings.setProcessChannelMode(QProcess::SeparateChannels);
  settings.setStandardInputFile(QProcess::nullDevice());
  settings.start(QStringLiteral("xdg-settings"),
                 {QStringLiteral("get"), QStringLiteral("default-web-browser")});
  QString entryName;
  if (settings.waitForStarted(kSettingsWaitMs) && settings.waitForFinished(kSettingsWaitMs) &&
      settings.exitStatus() == QProcess::NormalExit && settings.exitCode() == 0) {
    entryName = QString::fromUtf8(settings.readAllStandardOutput()).trimmed();
  } else if (settings.state() != QProcess::NotRunning) {
    settings.kill();
    (void)settings.waitForFinished(kSettingsWaitMs);
  }
  // A desktop entry ID is a file name; anything else would look outside the data folders.
  if (!entryName.isEmpty() && entryName.size() <= kMaxEntryNameLength &&
      entryName.endsWith(QStringLiteral(".desktop")) && !entryName.contains(u'/') &&
      !entryName.startsWith(u'.')) {
    const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, entryName);
    if (!path.isEmpty()) {
      if (const auto entry = readDesktopEntryGroup(path)) {
        const QString exec = entry->value(QStringLiteral("Exec"));
        // A browser whose command cannot be taken apart cannot be started: as good as none.
        if (desktopentryexec::arguments(exec, {})) {
          return exec;
        }
      }
    }
  }
  if (QStandardPaths::findExecutable(QStringLiteral("x-www-browser")).isEmpty()) {
    return QString();
  }
  return QStringLiteral("x-www-browser %u");
}
