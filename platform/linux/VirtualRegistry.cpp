#include "platform/linux/VirtualRegistry.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringList>

#include "platform/DesktopEntryExec.h"
#include "platform/FileReplace.h"
#include "platform/linux/DesktopEntryFile.h"

namespace {

bool sameName(const QString& a, QStringView b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// `program` as one quoted Exec argument: the quoting's escapes first ("\"", "\`", "\$", "\\"; "%"
// doubled so that it cannot read as a field code), then the string value's ("\\", and the line
// breaks and tabs a file name may hold), so "$" becomes "\\$" in the file as the rules ask.
QString execValue(const QString& program) {
  QString quoted;
  for (const QChar c : program) {
    if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') {
      quoted.append(u'\\');
    } else if (c == u'%') {
      quoted.append(u'%');
    }
    quoted.append(c);
  }
  QString out = QStringLiteral("\"");
  for (const QChar c : quoted) {
    switch (c.unicode()) {
      case u'\\':
        out.append(QStringLiteral("\\\\"));
        break;
      case u'\n':
        out.append(QStringLiteral("\\n"));
        break;
      case u'\r':
        out.append(QStringLiteral("\\r"));
        break;
      case u'\t':
        out.append(QStringLiteral("\\t"));
        break;
      default:
        out.append(c);
    }
  }
  return out.append(u'"');
}

// The keys of the file's [Desktop Entry] group; nothing when the file is missing, not a plain
// file or too large to be ours.
std::optional<DesktopEntryGroup> readEntry(const QString& path) {
  const QFileInfo info(path);
  if (!info.isFile() || info.size() > VirtualRegistry::kMaxEntryBytes) {
    return std::nullopt;
  }
  return ReadDesktopEntryGroup(path, VirtualRegistry::kMaxEntryBytes);
}

// The Run value an entry stands for: the program quoted, as the agent writes it, and any
// arguments someone added after it; nothing when the desktop would not start the entry.
std::optional<QString> runValueOf(const DesktopEntryGroup& entry) {
  if (entry.value(QStringLiteral("Hidden")) == u"true" ||
      entry.value(QStringLiteral("X-GNOME-Autostart-enabled")) == u"false") {
    return std::nullopt;
  }
  const auto exec = entry.constFind(QStringLiteral("Exec"));
  if (exec == entry.cend()) {
    return std::nullopt;
  }
  const auto arguments = desktopentryexec::arguments(*exec, {});
  if (!arguments) {
    return std::nullopt;
  }
  QString value = u'"' + arguments->first() + u'"';
  for (qsizetype i = 1; i < arguments->size(); ++i) {
    const QString& argument = arguments->at(i);
    value += u' ';
    value += argument.isEmpty() || argument.contains(u' ') ? u'"' + argument + u'"' : argument;
  }
  return value;
}

// The program a Run value names: the text inside its quotes, or the whole text when it has none.
QString programOf(const QString& runValue) {
  if (runValue.size() >= 2 && runValue.startsWith(u'"') && runValue.endsWith(u'"')) {
    return runValue.sliced(1, runValue.size() - 2);
  }
  return runValue;
}

}  // namespace

QString VirtualRegistry::autostartEntryPath() {
  QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
  // The base directory rules ignore a relative path.
  if (config.isEmpty() || QDir::isRelativePath(config)) {
    config = QDir::homePath() + QStringLiteral("/.config");
  }
  return config + QStringLiteral("/autostart/") + QString::fromUtf16(kRunValue) +
         QStringLiteral(".desktop");
}

VirtualRegistry::Key VirtualRegistry::keyAt(RegistryRoot root, const QString& path) const {
  if (root == RegistryRoot::ClassesRoot && sameName(path, kBrowserKey)) {
    return Key::Browser;
  }
  if (root == RegistryRoot::LocalMachine && sameName(path, kRunKey)) {
    return Key::Run;
  }
  return Key::None;
}

const QString& VirtualRegistry::browserCommand() {
  if (!browserCommand_) {
    browserCommand_ = shell_.defaultBrowserCommand();
  }
  return *browserCommand_;
}

RegistryStatus VirtualRegistry::openKey(RegistryRoot root, const QString& path, quint32 access,
                                        RegistryKey& key) {
  const Key which = keyAt(root, path);
  if (which == Key::None || (which == Key::Browser && browserCommand().isEmpty())) {
    return registry::kFileNotFound;
  }
  key = RegistryKey{root, path, access, true};
  return registry::kSuccess;
}

RegistryStatus VirtualRegistry::createKey(RegistryRoot root, const QString& path, quint32 access,
                                          RegistryKey& key) {
  // The Run key is always there; nothing stands behind a key made anew.
  const RegistryStatus status = openKey(root, path, access, key);
  return status == registry::kFileNotFound ? registry::kAccessDenied : status;
}

RegistryStatus VirtualRegistry::queryValue(const RegistryKey& key, const QString& name,
                                           RegistryValue& value) {
  if (!key.open) {
    return registry::kInvalidHandle;
  }
  if ((key.access & registry::kKeyQueryValue) == 0) {
    return registry::kAccessDenied;
  }
  switch (keyAt(key.root, key.path)) {
    case Key::Browser:
      if (!name.isEmpty() || browserCommand().isEmpty()) {
        return registry::kFileNotFound;
      }
      value = RegistryValue{registry::kRegSz, browserCommand(), 0};
      return registry::kSuccess;
    case Key::Run: {
      if (!sameName(name, kRunValue)) {
        return registry::kFileNotFound;
      }
      const auto entry = readEntry(autostartEntryPath());
      const auto run = entry ? runValueOf(*entry) : std::nullopt;
      if (!run) {
        return registry::kFileNotFound;
      }
      value = RegistryValue{registry::kRegSz, *run, 0};
      return registry::kSuccess;
    }
    case Key::None:
      break;
  }
  return registry::kFileNotFound;
}

RegistryStatus VirtualRegistry::setValue(const RegistryKey& key, const QString& name,
                                         const RegistryValue& value) {
  if (!key.open) {
    return registry::kInvalidHandle;
  }
  if ((key.access & registry::kKeySetValue) == 0 || keyAt(key.root, key.path) != Key::Run ||
      !sameName(name, kRunValue)) {
    return registry::kAccessDenied;
  }
  const QString program = programOf(value.text);
  // Only a program path can start at login; a NUL cannot be in one.
  if (value.type != registry::kRegSz || program.isEmpty() || program.contains(QChar(u'\0'))) {
    return registry::kInvalidParameter;
  }
  const QString path = autostartEntryPath();
  if (!QDir().mkpath(QFileInfo(path).path())) {
    return registry::kAccessDenied;
  }
  const QString entry = QStringLiteral(
                            "[Desktop Entry]\n"
                            "Type=Application\n"
                            "Name=") +
                        QString::fromUtf16(kEntryName) + QStringLiteral("\nExec=") +
                        execValue(program) + QStringLiteral("\nX-GNOME-Autostart-enabled=true\n");
  return ReplaceFileContents(path, entry.toUtf8()) ? registry::kSuccess : registry::kAccessDenied;
}

RegistryStatus VirtualRegistry::deleteValue(const RegistryKey& key, const QString& name) {
  if (!key.open) {
    return registry::kInvalidHandle;
  }
  if ((key.access & registry::kKeySetValue) == 0) {
    return registry::kAccessDenied;
  }
  if (keyAt(key.root, key.path) != Key::Run || !sameName(name, kRunValue)) {
    return key.root == RegistryRoot::LocalMachine ? registry::kFileNotFound
                                                  : registry::kAccessDenied;
  }
  const QString path = autostartEntryPath();
  // A dangling link is an entry too, and must go with the rest.
  if (!QFileInfo(path).isSymLink() && !QFileInfo::exists(path)) {
    return registry::kFileNotFound;
  }
  return QFile::remove(path) ? registry::kSuccess : registry::kAccessDenied;
}
