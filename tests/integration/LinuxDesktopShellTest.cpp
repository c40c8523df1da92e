#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <optional>

#include "platform/DesktopEntryExec.h"
#include "platform/linux/LinuxDesktopShell.h"
#include "tests/support/EnvironmentGuard.h"
#include "tests/support/TestPrinting.h"

namespace {

using WindowStyle = DesktopShell::WindowStyle;

// Long enough for xdg-open's chain of shell scripts on a busy machine; a run that never comes
// fails the test instead of hanging it.
constexpr int kPatienceMs = 10000;

bool waitForFile(const QString& path) {
  for (int waited = 0; waited < kPatienceMs; waited += 20) {
    if (QFileInfo::exists(path)) {
      return true;
    }
    QThread::msleep(20);
  }
  return QFileInfo::exists(path);
}

bool writeFile(const QString& path, const QByteArray& content, bool executable = false) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
    return false;
  }
  file.close();
  return !executable || file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QByteArray readFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(LinuxDesktopShellTest, StartProgramReportsWhetherItStarted) {
  struct Case {
    const char* name;
    QString program;
    QStringList arguments;
    WindowStyle style;
    bool started;
  };
  const Case cases[] = {
      {"path with arguments",
       QStringLiteral("/bin/true"),
       {QStringLiteral("one"), QStringLiteral("two words")},
       WindowStyle::Normal,
       true},
      {"name on PATH, maximized", QStringLiteral("true"), {}, WindowStyle::Maximized, true},
      {"missing path",
       QStringLiteral("/nonexistent/corvane-missing"),
       {},
       WindowStyle::Normal,
       false},
      {"missing name", QStringLiteral("corvane-no-such-program"), {}, WindowStyle::Normal, false},
      {"a folder", QStringLiteral("/tmp"), {}, WindowStyle::Normal, false},
      {"empty", QString(), {}, WindowStyle::Normal, false},
  };
  LinuxDesktopShell shell;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(shell.startProgram(c.program, c.arguments, c.style), c.started);
  }
}

TEST(LinuxDesktopShellTest, ArgumentsReachTheProgramAsTheyAre) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // A shell would split this, expand the variable and run the command substitution.
  const QString name = dir.filePath(QStringLiteral("a b;$HOME$(touch x)'\"*"));
  LinuxDesktopShell shell;
  ASSERT_TRUE(shell.startProgram(QStringLiteral("touch"), {name}, WindowStyle::Normal));
  EXPECT_TRUE(waitForFile(name));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot),
            QStringList{QFileInfo(name).fileName()});
}

// What a recording program saw of one run.
struct RecordedRun {
  QStringList arguments;
  QString folder;  // its working folder, symbolic links resolved
  QStringList environment;
};

// A private XDG setup: the settings tool and the opener read mimeapps.list from XDG_CONFIG_HOME
// and desktop entries from XDG_DATA_HOME, and nothing of the machine's own, so that the machine's
// own browser and viewers cannot answer. PATH is the test's own where a case says so.
class PrivateDesktopTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.isValid());
    for (const char* folder : {"config", "data/applications", "bin"}) {
      ASSERT_TRUE(QDir(home_.path()).mkpath(QString::fromUtf8(folder)));
    }
    qputenv("HOME", home_.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", path("config").toUtf8());
    qputenv("XDG_DATA_HOME", path("data").toUtf8());
    qputenv("XDG_CONFIG_DIRS", path("none").toUtf8());
    qputenv("XDG_DATA_DIRS", path("none").toUtf8());
    // The opener's generic mode: the one that follows mimeapps.list itself.
    qunsetenv("XDG_CURRENT_DESKTOP");
    qunsetenv("DESKTOP_SESSION");
    qunsetenv("KDE_FULL_SESSION");
    qunsetenv("GNOME_DESKTOP_SESSION_ID");
    qunsetenv("BROWSER");
  }

  QString path(const char* relative) const { return home_.filePath(QString::fromUtf8(relative)); }

  // A program that records its arguments, working folder and environment next to itself.
  void installRecorder(const QString& program) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(program).path()));
    ASSERT_TRUE(writeFile(program,
                          "#!/bin/sh\nout='" + program.toUtf8() +
                              "'\n"
                              "printf '%s\\0' \"$@\" > \"$out.args\"\n"
                              "pwd -P > \"$out.pwd\"\n"
                              "env > \"$out.env\"\n"
                              ": > \"$out.done\"\n",
                          true));
  }

  // The next run of the recorder, once it is over; nothing when none came in time.
  static std::optional<RecordedRun> nextRun(const QString& program) {
    const QString done = program + QStringLiteral(".done");
    if (!waitForFile(done) || !QFile::remove(done)) {
      return std::nullopt;
    }
    RecordedRun run;
    const QByteArray arguments = readFile(program + QStringLiteral(".args"));
    for (const QByteArray& argument : arguments.split('\0')) {
      run.arguments << QString::fromUtf8(argument);
    }
    run.arguments.removeLast();  // after the last terminator
    run.folder = QString::fromUtf8(readFile(program + QStringLiteral(".pwd"))).trimmed();
    run.environment = QString::fromUtf8(readFile(program + QStringLiteral(".env"))).split(u'\n');
    return run;
  }

  // Makes `entry` (a desktop entry file in the data folders) the default for the MIME types.
  void makeDefault(const QByteArray& entry, const QList<QByteArray>& types) {
    QByteArray list = "[Default Applications]\n";
    for (const QByteArray& type : types) {
      list += type + '=' + entry + '\n';
    }
    ASSERT_TRUE(writeFile(path("config/mimeapps.list"), list));
  }

  EnvironmentGuard home_env_{"HOME"};
  EnvironmentGuard config_{"XDG_CONFIG_HOME"};
  EnvironmentGuard data_{"XDG_DATA_HOME"};
  EnvironmentGuard configDirs_{"XDG_CONFIG_DIRS"};
  EnvironmentGuard dataDirs_{"XDG_DATA_DIRS"};
  EnvironmentGuard desktop_{"XDG_CURRENT_DESKTOP"};
  EnvironmentGuard session_{"DESKTOP_SESSION"};
  EnvironmentGuard kdeSession_{"KDE_FULL_SESSION"};
  EnvironmentGuard gnomeSession_{"GNOME_DESKTOP_SESSION_ID"};
  EnvironmentGuard browser_{"BROWSER"};
  EnvironmentGuard path_{"PATH"};
  QTemporaryDir home_;
  LinuxDesktopShell shell_;
};

class DefaultBrowserTest : public PrivateDesktopTest {
 protected:
  QString browserPath() const { return path("bin/corvane-browser"); }

  // `execLine` as written in the entry, "{browser}" standing for the browser's path.
  void installBrowser(const QString& execLine) {
    installRecorder(browserPath());
    QString exec = execLine;
    exec.replace(QStringLiteral("{browser}"), browserPath());
    ASSERT_TRUE(writeFile(path("data/applications/corvane-test.desktop"),
                          "[Desktop Entry]\nType=Application\nName=Test\nName[de]=Prüfung\n"
                          "Exec=" +
                              exec.toUtf8() + "\n\n[Desktop Action new]\nExec=wrong\n"));
    makeDefault("corvane-test.desktop", {"x-scheme-handler/http", "text/html"});
  }

  void installAlternative() {
    // Debian's browser alternative on PATH, next to the settings tool and its helpers.
    ASSERT_TRUE(writeFile(path("bin/x-www-browser"), "#!/bin/sh\n", true));
    qputenv("PATH", (path("bin") + QStringLiteral(":/usr/bin:/bin")).toUtf8());
  }
};

TEST_F(DefaultBrowserTest, CommandIsTheEntrysExecValue) {
  struct Case {
    const char* name;
    const char* written;
    const char* value;
  };
  const Case cases[] = {
      {"snap line behind env", "env CORVANE_BROWSER_HINT=/var/lib/a.desktop {browser} %u",
       "env CORVANE_BROWSER_HINT=/var/lib/a.desktop {browser} %u"},
      {"general escapes of a string value", R"({browser} --name=a\sb "back\\\\slash\\$" %u)",
       R"({browser} --name=a b "back\\slash\$" %u)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    installBrowser(QString::fromUtf8(c.written));
    EXPECT_EQ(shell_.defaultBrowserCommand(),
              QString::fromUtf8(c.value).replace(QStringLiteral("{browser}"), browserPath()));
  }
}

// The whole road the agent takes: the command, taken apart with the address, started.
TEST_F(DefaultBrowserTest, CommandStartsTheBrowserWithTheAddress) {
  installBrowser(QStringLiteral("env CORVANE_BROWSER_HINT=1 {browser} %u"));
  const QString command = shell_.defaultBrowserCommand();
  ASSERT_EQ(command, QStringLiteral("env CORVANE_BROWSER_HINT=1 %1 %u").arg(browserPath()));
  const QString address = QStringLiteral("http://example.invalid/");
  auto arguments = desktopentryexec::arguments(command, {address});
  ASSERT_TRUE(arguments);
  const QString program = arguments->takeFirst();
  ASSERT_TRUE(shell_.startProgram(program, *arguments, WindowStyle::Normal));
  const auto run = nextRun(browserPath());
  ASSERT_TRUE(run);
  EXPECT_EQ(run->arguments, QStringList{address});
  EXPECT_TRUE(run->environment.contains(QStringLiteral("CORVANE_BROWSER_HINT=1")));
}

TEST_F(DefaultBrowserTest, FallsBackToTheAlternative) {
  installAlternative();
  // No default set at all.
  EXPECT_EQ(shell_.defaultBrowserCommand(), QStringLiteral("x-www-browser %u"));
  // A default whose command cannot be taken apart starts nothing either.
  installBrowser(QStringLiteral(R"("{browser} %u)"));
  EXPECT_EQ(shell_.defaultBrowserCommand(), QStringLiteral("x-www-browser %u"));
}

TEST_F(DefaultBrowserTest, NothingWhenNeitherToolNorAlternativeIsThere) {
  qputenv("PATH", path("bin").toUtf8());
  EXPECT_EQ(shell_.defaultBrowserCommand(), QString());
}

using OpenTest = PrivateDesktopTest;

// The opener would show the entry in a text editor; the application it describes runs instead.
TEST_F(OpenTest, DesktopEntryFileLaunchesItsApplication) {
  const QString program = path("my apps/launcher");
  installRecorder(program);
  ASSERT_TRUE(QDir(home_.path()).mkpath(QStringLiteral("work folder")));
  ASSERT_TRUE(QDir(home_.path()).mkpath(QStringLiteral("Desktop")));
  const QString entry = path("Desktop/launcher.desktop");
  // "\\$" in the file: the value's escape gives "\$", the quoting's gives "$".
  ASSERT_TRUE(writeFile(entry,
                        "[Desktop Entry]\nType=Application\nName=Launcher\n"
                        "Exec=\"" +
                            program.toUtf8() +
                            "\" --from-entry %f \"a\\\\$b\"\n"
                            "Path=" +
                            path("work folder").toUtf8() +
                            "\n\n[Desktop Action other]\nExec=wrong\nPath=/\n"));
  for (const QString& target : {entry, QUrl::fromLocalFile(entry).toString()}) {
    SCOPED_TRACE(target.toStdString());
    ASSERT_TRUE(shell_.openWithDefaultApplication(target));
    const auto run = nextRun(program);
    ASSERT_TRUE(run);
    EXPECT_EQ(run->arguments, (QStringList{QStringLiteral("--from-entry"), QStringLiteral("a$b")}));
    EXPECT_EQ(run->folder, QFileInfo(path("work folder")).canonicalFilePath());
  }
}

TEST_F(OpenTest, DesktopEntryThatDescribesNoApplicationStartsNothing) {
  struct Case {
    const char* name;
    QByteArray group;  // the [Desktop Entry] group after its header
  };
  const QByteArray recorder = path("bin/recorder").toUtf8();
  const Case cases[] = {
      {"hidden", "Type=Application\nHidden=true\nExec=" + recorder + "\n"},
      {"a link", "Type=Link\nURL=http://example.invalid/\nExec=" + recorder + "\n"},
      {"no type", "Exec=" + recorder + "\n"},
      {"no Exec", "Type=Application\nName=None\n"},
      {"Exec that breaks the rules", "Type=Application\nExec=\"" + recorder + "\n"},
      {"Exec naming a missing program", "Type=Application\nExec=/nonexistent/corvane-missing\n"},
      {"Path that is missing",
       "Type=Application\nExec=" + recorder + "\nPath=" + path("missing").toUtf8() + "\n"},
  };
  installRecorder(path("bin/recorder"));
  const QString entry = path("entry.desktop");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(writeFile(entry, "[Desktop Entry]\n" + c.group));
    EXPECT_FALSE(shell_.openWithDefaultApplication(entry));
  }
  EXPECT_FALSE(shell_.openWithDefaultApplication(path("missing.desktop")));
}

// Documents and folders go to the opener, which starts the default application that
// mimeapps.list names for their type.
TEST_F(OpenTest, DocumentsAndFoldersReachTheDefaultApplication) {
  const QString viewer = path("bin/corvane-viewer");
  installRecorder(viewer);
  ASSERT_TRUE(writeFile(
      path("data/applications/corvane-viewer.desktop"),
      "[Desktop Entry]\nType=Application\nName=Viewer\nExec=" + viewer.toUtf8() + " %f\n"));
  makeDefault("corvane-viewer.desktop", {"inode/directory", "text/plain"});
  ASSERT_TRUE(QDir(home_.path()).mkpath(QStringLiteral("documents")));
  ASSERT_TRUE(writeFile(path("documents/notes.txt"), "Some notes.\n"));
  ASSERT_TRUE(writeFile(path("documents/-notes.txt"), "Notes with a dash.\n"));

  struct Case {
    const char* name;
    QString target;
    QString received;
  };
  const Case cases[] = {
      {"folder", path("documents"), path("documents")},
      {"text document", path("documents/notes.txt"), path("documents/notes.txt")},
      // Relative to the agent's working folder; as given, the opener would take it for an option.
      {"relative name beginning with a dash", QStringLiteral("-notes.txt"),
       QStringLiteral("./-notes.txt")},
  };
  const QString savedFolder = QDir::currentPath();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(QDir::setCurrent(path("documents")));
    const bool opened = shell_.openWithDefaultApplication(c.target);
    ASSERT_TRUE(QDir::setCurrent(savedFolder));
    ASSERT_TRUE(opened);
    const auto run = nextRun(viewer);
    ASSERT_TRUE(run);
    EXPECT_EQ(run->arguments, QStringList{c.received});
  }
}

}  // namespace
