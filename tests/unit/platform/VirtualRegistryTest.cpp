#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <variant>
#include <vector>

#include "agent/DefaultBrowser.h"
#include "agent/LibRegistry.h"
#include "platform/DesktopEntryExec.h"
#include "platform/linux/LinuxDesktopShell.h"
#include "platform/linux/VirtualRegistry.h"
#include "tests/support/EnvironmentGuard.h"
#include "tests/support/FakeDesktopShell.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/TestPrinting.h"
#include "tests/support/Utf8Text.h"

namespace {

const QString kRunKey = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
const QString kRunValue = QStringLiteral("Corvane");

// The "Corvane" value as read: its data, or the status when it cannot be read.
using Read = std::variant<RegistryStatus, QString>;

QString quoted(const QString& path) { return u'"' + path + u'"'; }

// The value of `key` in the [Desktop Entry] group of the file at `path`, with the general escapes
// of a string value resolved, as a desktop reads it; "" when the file or the key is missing.
QString entryValue(const QString& path, const QString& key) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return {};
  }
  bool inMainGroup = false;
  for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
    if (line.startsWith(u'[')) {
      inMainGroup = line == u"[Desktop Entry]";
    } else if (inMainGroup && line.startsWith(key + u'=')) {
      QString value;
      const QString raw = line.sliced(key.size() + 1);
      for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == u'\\' && i + 1 < raw.size()) {
          const QChar next = raw[++i];
          value += next == u'n'   ? QChar(u'\n')
                   : next == u't' ? QChar(u'\t')
                   : next == u'r' ? QChar(u'\r')
                   : next == u's' ? QChar(u' ')
                                  : next;
        } else {
          value += raw[i];
        }
      }
      return value;
    }
  }
  return {};
}

// The registry over a private XDG_CONFIG_HOME (with no autostart folder yet) and a desktop in
// memory whose default browser the test sets.
class VirtualRegistryTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(config_.isValid());
    qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
    entry_ = config_.path() + QStringLiteral("/autostart/Corvane.desktop");
  }

  RegistryKey runKey(quint32 access = registry::kKeyAllRights) {
    RegistryKey key;
    EXPECT_EQ(registry_.openKey(RegistryRoot::LocalMachine, kRunKey, access, key), 0);
    return key;
  }
  RegistryStatus write(const QString& data) {
    return registry_.setValue(runKey(), kRunValue, RegistryValue{registry::kRegSz, data, 0});
  }
  Read read() {
    RegistryValue value;
    const RegistryStatus status = registry_.queryValue(runKey(), kRunValue, value);
    if (status != registry::kSuccess) {
      return status;
    }
    EXPECT_EQ(value.type, registry::kRegSz);
    return value.text;
  }
  void appendToEntry(const QByteArray& lines) {
    QFile file(entry_);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(lines);
  }

  EnvironmentGuard configHome_{"XDG_CONFIG_HOME"};
  QTemporaryDir config_;
  QString entry_;
  FakeDesktopShell shell_;
  VirtualRegistry registry_{shell_};
};

TEST_F(VirtualRegistryTest, TheRunValueIsAnAutostartEntry) {
  EXPECT_EQ(VirtualRegistry::autostartEntryPath(), entry_);
  EXPECT_EQ(read(), Read(registry::kFileNotFound));

  const QString data = quoted(QStringLiteral("/opt/My Remote/Corvane"));
  ASSERT_EQ(write(data), registry::kSuccess);
  ASSERT_TRUE(QFileInfo(entry_).isFile());
  EXPECT_EQ(entryValue(entry_, QStringLiteral("Type")), QStringLiteral("Application"));
  EXPECT_EQ(entryValue(entry_, QStringLiteral("Name")), QStringLiteral("CorvaneControl"));
  EXPECT_EQ(entryValue(entry_, QStringLiteral("X-GNOME-Autostart-enabled")),
            QStringLiteral("true"));
  EXPECT_EQ(read(), Read(data));

  // Names are compared as the registry compares them.
  RegistryKey key;
  ASSERT_EQ(registry_.openKey(RegistryRoot::LocalMachine, kRunKey.toLower(),
                              registry::kKeyQueryValue, key),
            0);
  RegistryValue value;
  EXPECT_EQ(registry_.queryValue(key, QStringLiteral("CORVANE"), value), 0);
  EXPECT_EQ(value.text, data);

  EXPECT_EQ(registry_.deleteValue(runKey(), kRunValue), registry::kSuccess);
  EXPECT_FALSE(QFileInfo::exists(entry_));
  EXPECT_EQ(read(), Read(registry::kFileNotFound));
  EXPECT_EQ(registry_.deleteValue(runKey(), kRunValue), registry::kFileNotFound);
}

// Whatever a program path holds, the entry starts exactly that program: its Exec line takes it
// apart into the path alone, and the value reads back as written.
TEST_F(VirtualRegistryTest, AnyProgramPathSurvivesTheEntry) {
  const char* const paths[] = {
      "/opt/My Remote/Corvane",
      "/opt/say \"hi\"/Corvane",
      "/opt/$HOME/`date`/Corvane",
      "/opt/back\\slash/100%/%u/Corvane",
      "/opt/tab\there/line\nbreak/Corvane",
      "/opt/Präsentationen/'single' & (more);|<>*?#~/Corvane",
  };
  for (const char* path : paths) {
    SCOPED_TRACE(path);
    ASSERT_EQ(write(quoted(text(path))), registry::kSuccess);
    EXPECT_EQ(read(), Read(quoted(text(path))));
    EXPECT_EQ(desktopentryexec::arguments(entryValue(entry_, QStringLiteral("Exec")), {}),
              QStringList{text(path)});
  }
}

// What the desktop does with the entry: a launcher that follows the Desktop Entry rules starts the
// program at a path full of characters a shell would take for its own.
TEST_F(VirtualRegistryTest, TheDesktopStartsTheProgramTheEntryNames) {
  const QString folder = config_.path() + QStringLiteral("/My \"Remote\" $HOME `x` 5%");
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString program = folder + QStringLiteral("/Corvane");
  const QString marker = config_.path() + QStringLiteral("/started");
  {
    QFile script(program);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\necho \"$0\" > '%1'\n").arg(marker).toUtf8());
    script.close();
    ASSERT_TRUE(script.setPermissions(script.permissions() | QFileDevice::ExeOwner));
  }
  ASSERT_EQ(write(quoted(program)), registry::kSuccess);

  LinuxDesktopShell desktop;
  ASSERT_TRUE(desktop.openWithDefaultApplication(entry_));
  const QDeadlineTimer deadline(10000);
  while (!QFileInfo(marker).size() && !deadline.hasExpired()) {
    QThread::msleep(10);
  }
  QFile started(marker);
  ASSERT_TRUE(started.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(started.readAll()).trimmed(), program);
}

// An entry the desktop would not start does not count as a registration.
TEST_F(VirtualRegistryTest, AnEntryTheDesktopWouldNotStartReadsAsMissing) {
  struct Case {
    const char* name;
    const char* contents;
    bool present;
  };
  const Case cases[] = {
      {"hidden", "[Desktop Entry]\nType=Application\nExec=/opt/Corvane\nHidden=true\n", false},
      {"switched off",
       "[Desktop Entry]\nType=Application\nExec=/opt/Corvane\nX-GNOME-Autostart-enabled=false\n",
       false},
      {"no Exec", "[Desktop Entry]\nType=Application\nName=CorvaneControl\n", false},
      {"broken Exec", "[Desktop Entry]\nType=Application\nExec=\"/opt/Corvane\n", false},
      {"Exec in another group", "[Desktop Entry]\nType=Application\n[Extra]\nExec=/opt/Corvane\n",
       false},
      {"not hidden", "[Desktop Entry]\nType=Application\nExec=/opt/Corvane\nHidden=false\n", true},
  };
  ASSERT_TRUE(QDir().mkpath(QFileInfo(entry_).path()));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QFile file(entry_);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(c.contents);
    file.close();
    if (c.present) {
      EXPECT_EQ(read(), Read(QStringLiteral("\"/opt/Corvane\"")));
    } else {
      EXPECT_EQ(read(), Read(registry::kFileNotFound));
    }
  }
  // Written again, the registration is whole: an entry hidden before starts once more.
  ASSERT_EQ(write(QStringLiteral("\"/opt/Corvane\"")), registry::kSuccess);
  appendToEntry("Hidden=true\n");
  EXPECT_EQ(read(), Read(registry::kFileNotFound));
  ASSERT_EQ(write(QStringLiteral("\"/opt/Corvane\"")), registry::kSuccess);
  EXPECT_EQ(read(), Read(QStringLiteral("\"/opt/Corvane\"")));
}

TEST_F(VirtualRegistryTest, AFolderThatCannotHoldTheEntryFailsTheWrite) {
  // A file where the autostart folder belongs: no user, root included, can make the folder.
  QFile blocker(config_.path() + QStringLiteral("/autostart"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  EXPECT_EQ(write(QStringLiteral("\"/opt/Corvane\"")), registry::kAccessDenied);
  EXPECT_EQ(read(), Read(registry::kFileNotFound));
}

TEST_F(VirtualRegistryTest, OnlyTheKnownKeysAndValuesAreThere) {
  RegistryKey key;
  EXPECT_EQ(registry_.openKey(RegistryRoot::LocalMachine, QStringLiteral("Hardware\\Devicemap"),
                              registry::kKeyQueryValue, key),
            registry::kFileNotFound);
  EXPECT_EQ(registry_.createKey(RegistryRoot::LocalMachine, QStringLiteral("SOFTWARE\\Corvane"),
                                registry::kKeyAllRights, key),
            registry::kAccessDenied);
  EXPECT_EQ(registry_.openKey(RegistryRoot::ClassesRoot, kRunKey, registry::kKeyQueryValue, key),
            registry::kFileNotFound);
  EXPECT_FALSE(key.open);

  ASSERT_EQ(registry_.createKey(RegistryRoot::LocalMachine, kRunKey, registry::kKeyAllRights, key),
            registry::kSuccess);
  RegistryValue value;
  EXPECT_EQ(registry_.queryValue(key, QStringLiteral("Other"), value), registry::kFileNotFound);
  EXPECT_EQ(registry_.setValue(key, QStringLiteral("Other"),
                               RegistryValue{registry::kRegSz, QStringLiteral("\"/x\""), 0}),
            registry::kAccessDenied);
  EXPECT_EQ(registry_.setValue(key, kRunValue, RegistryValue{registry::kRegDword, {}, 1}),
            registry::kInvalidParameter);
  EXPECT_EQ(registry_.setValue(key, kRunValue, RegistryValue{registry::kRegSz, QString(), 0}),
            registry::kInvalidParameter);
  // A key opened for reading takes no value, and no key at all takes nothing.
  EXPECT_EQ(registry_.setValue(runKey(registry::kKeyQueryValue), kRunValue,
                               RegistryValue{registry::kRegSz, QStringLiteral("\"/x\""), 0}),
            registry::kAccessDenied);
  EXPECT_EQ(registry_.queryValue(RegistryKey{}, kRunValue, value), registry::kInvalidHandle);
  EXPECT_FALSE(QFileInfo::exists(entry_));
}

// Without XDG_CONFIG_HOME, or with one the base directory rules ignore, entries go to ~/.config.
TEST_F(VirtualRegistryTest, TheConfigFolderDefaultsToTheHomeFolders) {
  EnvironmentGuard home("HOME");
  qputenv("HOME", config_.path().toLocal8Bit());
  const QString fallback = config_.path() + QStringLiteral("/.config/autostart/Corvane.desktop");
  for (const char* value : {"", "relative/config"}) {
    SCOPED_TRACE(value);
    qputenv("XDG_CONFIG_HOME", value);
    EXPECT_EQ(VirtualRegistry::autostartEntryPath(), fallback);
  }
  qunsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(VirtualRegistry::autostartEntryPath(), fallback);
  ASSERT_EQ(write(QStringLiteral("\"/opt/Corvane\"")), registry::kSuccess);
  EXPECT_TRUE(QFileInfo(fallback).isFile());
}

// The agent's start-up registration, end to end on the desktop's autostart folder.
TEST_F(VirtualRegistryTest, RunAtStartupSwitchesTheAutostartEntry) {
  FakeMessageBoxes boxes;
  boxes.answer = MessageBoxAnswer::Yes;
  bool checked = false;
  LibRegistry lib(registry_, boxes, QStringLiteral("/opt/My Remote"),
                  [&checked](bool value) { checked = value; });
  lib.SyncRunAtStartup(false);
  EXPECT_TRUE(checked);
  EXPECT_EQ(desktopentryexec::arguments(entryValue(entry_, QStringLiteral("Exec")), {}),
            QStringList{QStringLiteral("/opt/My Remote/Corvane")});
  ASSERT_EQ(boxes.shown.size(), 2U);

  lib.SyncRunAtStartup(false);
  EXPECT_FALSE(checked);
  EXPECT_FALSE(QFileInfo::exists(entry_));
  EXPECT_EQ(boxes.shown.size(), 2U);
}

// The browser key answers from the desktop's default browser, asked once however often the key
// is read, and through the agent's browser lookup too.
TEST_F(VirtualRegistryTest, TheBrowserKeyAsksTheDesktopOnce) {
  struct Case {
    const char* command;
    const char* type;
  };
  const Case cases[] = {
      {"/usr/lib/firefox-esr/firefox-esr %u", "FIREFOX"},
      {"chromium %U", "INTERNET_EXPLORER"},
      {"", "INTERNET_EXPLORER"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    FakeDesktopShell shell;
    shell.browserCommand = text(c.command);
    VirtualRegistry registry(shell);
    for (int i = 0; i < 2; ++i) {
      RegistryKey key;
      const RegistryStatus opened =
          registry.openKey(RegistryRoot::ClassesRoot, QStringLiteral("http\\shell\\open\\command"),
                           registry::kKeyQueryValue, key);
      if (*c.command == '\0') {
        EXPECT_EQ(opened, registry::kFileNotFound);
        continue;
      }
      ASSERT_EQ(opened, registry::kSuccess);
      RegistryValue value;
      ASSERT_EQ(registry.queryValue(key, QString(), value), registry::kSuccess);
      EXPECT_EQ(value.type, registry::kRegSz);
      EXPECT_EQ(value.text, text(c.command));
      EXPECT_EQ(registry.queryValue(key, QStringLiteral("Other"), value), registry::kFileNotFound);
      EXPECT_EQ(registry.setValue(key, QString(), value), registry::kAccessDenied);
    }
    DefaultBrowser browser(registry);
    EXPECT_EQ(browser.DetectDefaultBrowser(), text(c.type));
    EXPECT_EQ(browser.Command(), text(c.command));
    EXPECT_EQ(shell.browserLookups, 1);
  }
}

}  // namespace
