#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <cstdlib>
#include <optional>

#include "platform/linux/LinuxDesktopShell.h"
#include "tests/support/EnvironmentGuard.h"
#include "tests/support/TestPrinting.h"

namespace {

using WindowStyle = DesktopShell::WindowStyle;

constexpr int kPatienceMs = 5000;

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

TEST(LinuxDesktopShellTest, ProgramOfExecLine) {
  struct Case {
    const char* exec;
    QString program;
  };
  const Case cases[] = {
      {"firefox-esr %u", QStringLiteral("firefox-esr")},
      {"  chromium --incognito %U", QStringLiteral("chromium")},
      {R"("/opt/My Browser/run" --new-window %u)", QStringLiteral("/opt/My Browser/run")},
      {R"("/opt/say \"hi\"/run")", QStringLiteral(R"(/opt/say "hi"/run)")},
      {R"(/opt/with\sspace %f)", QStringLiteral("/opt/with")},
      {R"("/opt/back\\\\slash")", QStringLiteral(R"(/opt/back\slash)")},
      {"%U browser", QStringLiteral("browser")},
      {"%U", QString()},
      {"", QString()},
      {R"("unclosed quote)", QStringLiteral("unclosed quote")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.exec);
    EXPECT_EQ(LinuxDesktopShell::programOfExec(QString::fromUtf8(c.exec)), c.program);
  }
}

// A private XDG setup: the settings tool reads mimeapps.list from XDG_CONFIG_HOME and the entry
// from XDG_DATA_HOME; PATH is the test's own where a case says so.
class DefaultBrowserTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.isValid());
    ASSERT_TRUE(QDir(home_.path()).mkpath(QStringLiteral("config")));
    ASSERT_TRUE(QDir(home_.path()).mkpath(QStringLiteral("data/applications")));
    ASSERT_TRUE(QDir(home_.path()).mkpath(QStringLiteral("bin")));
    qputenv("HOME", home_.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home_.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", home_.filePath(QStringLiteral("data")).toUtf8());
    // No system entries either, so that the machine's own browser cannot answer.
    qputenv("XDG_CONFIG_DIRS", home_.filePath(QStringLiteral("none")).toUtf8());
    qputenv("XDG_DATA_DIRS", home_.filePath(QStringLiteral("none")).toUtf8());
    qunsetenv("XDG_CURRENT_DESKTOP");
    qunsetenv("DESKTOP_SESSION");
    qunsetenv("BROWSER");
  }

  QString browserPath() const { return home_.filePath(QStringLiteral("bin/corvane-browser")); }

  void installBrowser(const QByteArray& execArguments) {
    ASSERT_TRUE(writeFile(browserPath(), "#!/bin/sh\n", true));
    ASSERT_TRUE(writeFile(home_.filePath(QStringLiteral("data/applications/corvane-test.desktop")),
                          "[Desktop Entry]\nType=Application\nName=Test\nName[de]=Prüfung\n"
                          "Exec=" +
                              browserPath().toUtf8() + execArguments +
                              "\n\n[Desktop Action new]\nExec=wrong\n"));
    ASSERT_TRUE(writeFile(home_.filePath(QStringLiteral("config/mimeapps.list")),
                          "[Default Applications]\n"
                          "x-scheme-handler/http=corvane-test.desktop\n"
                          "text/html=corvane-test.desktop\n"));
  }

  EnvironmentGuard home_env_{"HOME"};
  EnvironmentGuard config_{"XDG_CONFIG_HOME"};
  EnvironmentGuard data_{"XDG_DATA_HOME"};
  EnvironmentGuard configDirs_{"XDG_CONFIG_DIRS"};
  EnvironmentGuard dataDirs_{"XDG_DATA_DIRS"};
  EnvironmentGuard desktop_{"XDG_CURRENT_DESKTOP"};
  EnvironmentGuard session_{"DESKTOP_SESSION"};
  EnvironmentGuard browser_{"BROWSER"};
  EnvironmentGuard path_{"PATH"};
  QTemporaryDir home_;
  LinuxDesktopShell shell_;
};

TEST_F(DefaultBrowserTest, ProgramOfTheDesktopsEntry) {
  installBrowser(" --new-window %u");
  EXPECT_EQ(shell_.defaultBrowserProgram(), browserPath());
}

TEST_F(DefaultBrowserTest, WithoutSettingFallsBackToTheAlternative) {
  // Debian's browser alternative on PATH, next to the settings tool and its helpers.
  ASSERT_TRUE(writeFile(home_.filePath(QStringLiteral("bin/x-www-browser")), "#!/bin/sh\n", true));
  qputenv("PATH",
          (home_.filePath(QStringLiteral("bin")) + QStringLiteral(":/usr/bin:/bin")).toUtf8());
  EXPECT_EQ(shell_.defaultBrowserProgram(), QStringLiteral("x-www-browser"));
}

TEST_F(DefaultBrowserTest, NothingWhenNeitherToolNorAlternativeIsThere) {
  qputenv("PATH", home_.filePath(QStringLiteral("bin")).toUtf8());
  EXPECT_EQ(shell_.defaultBrowserProgram(), QString());
}

}  // namespace
