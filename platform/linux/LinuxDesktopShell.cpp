#include "platform/linux/LinuxDesktopShell.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace {

// The desktop entry's general escapes (\s \n \t \r \\), which come before the Exec quoting.
QString withoutValueEscapes(const QString& value) {
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
      // One backslash, which the quoting level may take as an escape again.
      out.append(u'\\');
    } else {
      out.append(c).append(next);
    }
  }
  return out;
}

bool isFieldCode(const QString& word) { return word.size() == 2 && word[0] == u'%'; }

// The Exec value of the [Desktop Entry] group of the file, or nothing.
std::optional<QString> execOfDesktopEntry(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return std::nullopt;
  }
  const QString text = QString::fromUtf8(file.read(LinuxDesktopShell::kMaxDesktopEntryBytes));
  bool inMainGroup = false;
  for (const QStringView rawLine : QStringView(text).split(u'\n')) {
    const QStringView line = rawLine.trimmed();
    if (line.startsWith(u'[')) {
      inMainGroup = line == u"[Desktop Entry]";
      continue;
    }
    if (!inMainGroup) {
      continue;
    }
    const qsizetype equals = line.indexOf(u'=');
    if (equals > 0 && line.first(equals).trimmed() == u"Exec") {
      return line.sliced(equals + 1).trimmed().toString();
    }
  }
  return std::nullopt;
}

}  // namespace

bool LinuxDesktopShell::openWithDefaultApplication(const QString& pathOrAddress) {
  if (pathOrAddress.isEmpty()) {
    return false;
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

QString LinuxDesktopShell::programOfExec(const QString& exec) {
  const QString value = withoutValueEscapes(exec);
  qsizetype i = 0;
  while (i < value.size()) {
    while (i < value.size() && value[i].isSpace()) {
      ++i;
    }
    if (i == value.size()) {
      break;
    }
    QString word;
    bool quoted = false;
    if (value[i] == u'"') {
      quoted = true;
      ++i;
      while (i < value.size() && value[i] != u'"') {
        if (value[i] == u'\\' && i + 1 < value.size()) {
          ++i;
        }
        word.append(value[i++]);
      }
      ++i;  // the closing quote (or the end of an unclosed one)
    } else {
      while (i < value.size() && !value[i].isSpace()) {
        word.append(value[i++]);
      }
      word.replace(QStringLiteral("%%"), QStringLiteral("%"));
    }
    if (!word.isEmpty() && (quoted || !isFieldCode(word))) {
      return word;
    }
  }
  return QString();
}

QString LinuxDesktopShell::defaultBrowserProgram() {
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
      if (const auto exec = execOfDesktopEntry(path)) {
        const QString program = programOfExec(*exec);
        if (!program.isEmpty()) {
          return program;
        }
      }
    }
  }
  const QString fallback = QStringLiteral("x-www-browser");
  return QStandardPaths::findExecutable(fallback).isEmpty() ? QString() : fallback;
}
