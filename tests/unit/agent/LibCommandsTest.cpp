#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <vector>

#include "agent/LibCommands.h"
#include "agent/LibNotify.h"
#include "agent/LibSerial.h"
#include "platform/DesktopShell.h"
#include "tests/support/DispatcherRig.h"
#include "tests/support/FakeDesktopShell.h"
#include "tests/support/FakeWindowSystem.h"
#include "tests/support/TestPrinting.h"
#include "tests/support/Utf8Text.h"

namespace {

constexpr qint16 kPort = 3;

// The window and folder commands with an open link on a fake port, a desktop in memory and a
// root folder on disk (inside a base folder, so that there is something outside it to reach).
class LibCommandsTest : public testing::Test, protected DispatcherRig {
 protected:
  void SetUp() override {
    device_ = devices_.add(QStringLiteral("COM3"));
    ASSERT_EQ(comm_.CommOpen(kPort, QStringLiteral("COM3"), LibSerial::kLineSettings), 0);
    comm_.PortNumber = kPort;
    flags_.PortOpen = true;
    // Each pause ends at its first reading after the start.
    clock_.step = 1000;
    ASSERT_TRUE(base_.isValid());
    root_ = base_.path() + QStringLiteral("/root/");
    ASSERT_TRUE(QDir().mkpath(root_));
    settings_.RootDirPath = root_;
  }

  // A file below the base folder; a name ending in "/" is a folder.
  void make(const QString& relative, bool executable = false) {
    const QString path = base_.path() + u'/' + relative;
    if (relative.endsWith(u'/')) {
      ASSERT_TRUE(QDir().mkpath(path));
      return;
    }
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    if (executable) {
      ASSERT_TRUE(file.setPermissions(file.permissions() | QFileDevice::ExeOwner));
    }
  }

  void showWindows(const QStringList& titles) {
    windows_.windows.clear();
    WindowHandle handle = 100;
    for (const QString& title : titles) {
      windows_.add(handle++, title);
    }
  }

  QString takeWritten() {
    const QString frames = QString::fromLatin1(device_->written);
    device_->written.clear();
    return frames;
  }

  QTemporaryDir base_;
  QString root_;
  FakeWindowSystem windows_;
  FakeDesktopShell shell_;
  LibNotify notify_{windows_, general_, flags_, clock_};
  LibCommands commands_{windows_, shell_, general_, settings_, notify_, clock_};
};

TEST_F(LibCommandsTest, DirListSendsTheFilesOfTheFolderMarkedByTheOpenWindows) {
  for (const char* file : {"root/top.txt",
                           "root/Empty/",
                           "root/One/a.ppt",
                           "root/Presentations/a.ppt",
                           "root/Presentations/b.doc",
                           "root/Case/talk.ppt",
                           "root/Mixed/x.ppt",
                           "root/Mixed/Inner/y.ppt",
                           "root/Mixed/.hidden.ppt",
                           "root/Sorted/b.ppt",
                           "root/Sorted/A.ppt",
                           "root/Sorted/a.ppt",
                           "root/Sorted/C.ppt",
                           "root/Talks/2024/my talk.ppt",
                           "root/Odd/a|b.ppt",
                           "root/Odd/c:d.ppt",
                           "root/Odd/e>>.ppt",
                           "root/Odd/f\\g.ppt",
                           "root/Odd/ok.ppt",
                           "root/Odd/line\nbreak.ppt",
                           "outside.ppt"}) {
    make(text(file));
  }
  struct Case {
    const char* folder;
    QStringList titles;
    const char* frame;
  };
  const std::vector<Case> cases = {
      {"Presentations", texts({"Viewer - a.ppt"}), "<<DIRLIST|Presentations|Aa.ppt:Ib.doc>>"},
      {"Empty", texts({"Viewer - a.ppt"}), "<<DIRLIST|Empty|>>"},
      {"One", {}, "<<DIRLIST|One|Ia.ppt>>"},
      // A missing folder lists nothing, never the folder listed before.
      {"Missing", {}, "<<DIRLIST|Missing|>>"},
      {"Case", texts({"Talk.ppt - Viewer"}), "<<DIRLIST|Case|Italk.ppt>>"},
      // The match may be in any window; the later windows count too.
      {"Case", texts({"Desktop", "Editor", "viewer: talk.ppt (read-only)"}),
       "<<DIRLIST|Case|Atalk.ppt>>"},
      // The root itself, without its folders.
      {"", {}, "<<DIRLIST||Itop.txt>>"},
      // Neither folders nor hidden files.
      {"Mixed", {}, "<<DIRLIST|Mixed|Ix.ppt>>"},
      {"Sorted", {}, "<<DIRLIST|Sorted|IA.ppt:Ia.ppt:Ib.ppt:IC.ppt>>"},
      // "\" separates folders; the folder is echoed as it came.
      {"Talks\\2024", texts({"my talk.ppt"}), "<<DIRLIST|Talks\\2024|Amy talk.ppt>>"},
      {"Talks/2024", {}, "<<DIRLIST|Talks/2024|Imy talk.ppt>>"},
      // Names that would break the listing or its frame stay out.
      {"Odd", {}, "<<DIRLIST|Odd|Iok.ppt>>"},
      // Nothing outside the root.
      {"..", {}, "<<DIRLIST|..|>>"},
      {"..\\", {}, "<<DIRLIST|..\\|>>"},
      {"Mixed\\..\\..", {}, "<<DIRLIST|Mixed\\..\\..|>>"},
      {"/etc", {}, "<<DIRLIST|/etc|>>"},
      {"\\tmp", {}, "<<DIRLIST|\\tmp|>>"},
      {"not a folder.txt", {}, "<<DIRLIST|not a folder.txt|>>"},
      {"top.txt", {}, "<<DIRLIST|top.txt|>>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    showWindows(c.titles);
    EXPECT_TRUE(commands_.SendDirListFrame(text(c.folder)));
    EXPECT_EQ(takeWritten(), text(c.frame));
  }
}

TEST_F(LibCommandsTest, DirListTakesOneFreshSnapshotOfTheWindowsPerListing) {
  for (const char* file : {"root/P/a.ppt", "root/P/b.ppt", "root/P/c.ppt"}) {
    make(text(file));
  }
  showWindows(texts({"a.ppt", "c.ppt - Viewer"}));
  commands_.SendDirList(QStringLiteral("P"));
  EXPECT_EQ(takeWritten(), text("<<DIRLIST|P|Aa.ppt:Ib.ppt:Ac.ppt>>"));
  EXPECT_EQ(windows_.titleReads, 2);

  showWindows(texts({"b.ppt"}));
  commands_.SendDirList(QStringLiteral("P"));
  EXPECT_EQ(takeWritten(), text("<<DIRLIST|P|Ia.ppt:Ab.ppt:Ic.ppt>>"));
}

TEST_F(LibCommandsTest, DirListReportsWhetherTheFrameWentOut) {
  make(QStringLiteral("root/a.ppt"));
  (void)comm_.CommClose(kPort);
  EXPECT_FALSE(commands_.SendDirListFrame(QString()));
  EXPECT_EQ(takeWritten(), QString());
}

TEST_F(LibCommandsTest, DirListWithoutARootListsNothing) {
  settings_.RootDirPath.clear();
  EXPECT_TRUE(commands_.SendDirListFrame(QString()));
  EXPECT_EQ(takeWritten(), text("<<DIRLIST||>>"));
}

TEST_F(LibCommandsTest, TheWindowListHoldsTitledWindowsInTheOrderDelivered) {
  windows_.add(1, text("Desktop"));
  windows_.add(2, std::nullopt);  // its title cannot be read
  windows_.add(3, QString());
  windows_.add(4, text("talk.ppt - Impress"));
  windows_.add(5, text("talk.ppt - Copy"));
  commands_.ListTopLevelWindows();
  ASSERT_EQ(commands_.WindowListBox.size(), 3u);
  EXPECT_EQ(commands_.WindowListBox[0].handle, 1u);
  EXPECT_EQ(commands_.WindowListBox[1].handle, 4u);
  EXPECT_EQ(commands_.WindowListBox[2].title, text("talk.ppt - Copy"));

  struct Case {
    const char* name;
    qint32 index;
    const char* flag;
  };
  const Case cases[] = {
      {"", 0, "A"},          {"Desktop", 0, "A"},   {"talk.ppt", 1, "A"}, {"Copy", 2, "A"},
      {"TALK.PPT", -1, "I"}, {"Impress ", -1, "I"}, {"nothing", -1, "I"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(commands_.FindWindowEntry(text(c.name)), c.index);
    EXPECT_EQ(commands_.OpenWindowFlag(text(c.name)), text(c.flag));
  }

  // The search does not look at the desktop again: the list is a snapshot.
  windows_.windows.clear();
  EXPECT_EQ(commands_.FindWindowEntry(QStringLiteral("Copy")), 2);
  commands_.ListTopLevelWindows();
  EXPECT_EQ(commands_.FindWindowEntry(QString()), -1);
  EXPECT_EQ(commands_.OpenWindowFlag(QString()), text("I"));
}

TEST_F(LibCommandsTest, WindowChangesReachTheirWindowAndAFailureIsIgnored) {
  windows_.foreground = 42;
  windows_.failing = {FakeWindowSystem::Step::Raise, FakeWindowSystem::Step::Maximize};
  EXPECT_EQ(commands_.ForegroundWindow(), 42u);
  commands_.MinimizeWindow(7);
  commands_.MaximizeWindow(8);
  commands_.MoveWindowToTop(9);
  EXPECT_EQ(windows_.calls, texts({"minimize(7)", "maximize(8)", "raise(9)"}));
}

// Program starts, with executable files and a PATH of their own.
class LaunchProgramTest : public LibCommandsTest {
 protected:
  void SetUp() override {
    LibCommandsTest::SetUp();
    savedPath_ = qgetenv("PATH");
    make(QStringLiteral("bin/tool"), true);
    make(QStringLiteral("bin/My App/run"), true);
    make(QStringLiteral("bin/plain.txt"));
    make(QStringLiteral("path/ontool"), true);
    make(QStringLiteral("path/plain"));
    qputenv("PATH", (base_.path() + QStringLiteral("/path")).toLocal8Bit());
  }
  void TearDown() override { qputenv("PATH", savedPath_); }

  // "$B" stands for the base folder.
  QString expand(const char* value) const {
    return text(value).replace(QStringLiteral("$B"), base_.path());
  }

  QByteArray savedPath_;
};

TEST_F(LaunchProgramTest, TheCommandIsSplitIntoProgramAndArguments) {
  using Style = DesktopShell::WindowStyle;
  struct Case {
    const char* command;
    qint32 windowStyle;
    const char* program;
    QStringList arguments;
    Style style;
  };
  const std::vector<Case> cases = {
      {"C:\\Tools\\viewer.exe -f talk.ppt", 3, "C:\\Tools\\viewer.exe", texts({"-f", "talk.ppt"}),
       Style::Maximized},
      {"C:\\Program Files\\App\\app.EXE",
       3,
       "C:\\Program Files\\App\\app.EXE",
       {},
       Style::Maximized},
      {"C:\\a.exe/x", 1, "C:\\a.exe/x", {}, Style::Normal},
      // A space anywhere after ".EXE" splits the command right after it.
      {"C:\\a.exe/x y", 1, "C:\\a.exe", texts({"/x", "y"}), Style::Normal},
      {"C:\\a.exe   ", 1, "C:\\a.exe", {}, Style::Normal},
      {"C:\\App.Exe \"my talk.ppt\"  -x", 1, "C:\\App.Exe", texts({"my talk.ppt", "-x"}),
       Style::Normal},
      {"My Program With Spaces", 1, "My Program With Spaces", {}, Style::Normal},
      {"$B/bin/tool -f talk.ppt", 3, "$B/bin/tool", texts({"-f", "talk.ppt"}), Style::Maximized},
      {"$B/bin/tool", 3, "$B/bin/tool", {}, Style::Maximized},
      {"$B/bin/My App/run --open \"a b.odp\" \"\"", 1, "$B/bin/My App/run",
       texts({"--open", "a b.odp", ""}), Style::Normal},
      {"$B/bin/plain.txt x", 1, "$B/bin/plain.txt x", {}, Style::Normal},
      {"$B/bin x", 1, "$B/bin x", {}, Style::Normal},
      {"ontool  a   b", 3, "ontool", texts({"a", "b"}), Style::Maximized},
      {"plain a", 3, "plain a", {}, Style::Maximized},
      {" ontool", 3, " ontool", {}, Style::Maximized},
      // Only the two codes the dispatcher passes have a meaning.
      {"ontool", 2, "ontool", {}, Style::Normal},
      {"ontool", 0, "ontool", {}, Style::Normal},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    shell_.starts.clear();
    commands_.LaunchProgram(expand(c.command), c.windowStyle);
    ASSERT_EQ(shell_.starts.size(), 1);
    EXPECT_EQ(shell_.starts[0].program, expand(c.program));
    EXPECT_EQ(shell_.starts[0].arguments, c.arguments);
    EXPECT_EQ(shell_.starts[0].style, c.style);
  }
}

TEST_F(LaunchProgramTest, TheBrowserNamesStartTheDesktopsBrowser) {
  struct Case {
    const char* command;
    const char* browser;
    const char* program;
    QStringList arguments;
  };
  const std::vector<Case> cases = {
      {"iexplore", "/usr/bin/chromium", "/usr/bin/chromium", {}},
      {"FireFox", "/usr/bin/chromium", "/usr/bin/chromium", {}},
      {"firefox", "", "firefox", {}},
      {"IEXPLORE", "", "IEXPLORE", {}},
      // Only the name on its own stands for the browser.
      {"firefox http://x", "/usr/bin/chromium", "firefox http://x", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    shell_.starts.clear();
    shell_.browser = text(c.browser);
    commands_.LaunchProgram(text(c.command), LibCommands::kShowMaximized);
    ASSERT_EQ(shell_.starts.size(), 1);
    EXPECT_EQ(shell_.starts[0].program, text(c.program));
    EXPECT_EQ(shell_.starts[0].arguments, c.arguments);
  }
}

TEST_F(LaunchProgramTest, AProgramThatDoesNotStartStillGetsItsPause) {
  shell_.failStart = true;
  commands_.LaunchProgram(QStringLiteral("ontool"), LibCommands::kShowNormal);
  EXPECT_EQ(shell_.starts.size(), 1);
  EXPECT_GT(clock_.now, quint32{LibCommands::kLaunchPauseMs});

  shell_.starts.clear();
  clock_.now = 0;
  commands_.LaunchProgram(QString(), LibCommands::kShowNormal);
  EXPECT_TRUE(shell_.starts.isEmpty());
  EXPECT_GT(clock_.now, quint32{LibCommands::kLaunchPauseMs});
}

}  // namespace
