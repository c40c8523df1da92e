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
#include "agent/LibSerial.h"
#include "platform/DesktopShell.h"
#include "tests/support/DispatcherRig.h"
#include "tests/support/FakeDesktopShell.h"
#include "tests/support/FakeRegistry.h"
#include "tests/support/FakeWindowSystem.h"
#include "tests/support/TestPrinting.h"
#include "tests/support/Utf8Text.h"

namespace {

// The window and folder commands with an open link on a fake port, a desktop in memory and a
// root folder on disk (inside a base folder, so that there is something outside it to reach).
class LibCommandsTest : public testing::Test, protected DispatcherRig {
 protected:
  void SetUp() override {
    ASSERT_TRUE(openPort());
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

  QTemporaryDir base_;
  QString root_;
  FakeWindowSystem windows_;
  LibCommands commands_{
      CommandsServices{windows_, shell_, general_, settings_, browser_, clock_, pump_}};
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
      // A leading separator stays below the root: the real /etc is never listed.
      {"/etc", {}, "<<DIRLIST|/etc|>>"},
      {"\\Presentations", texts({"Viewer - a.ppt"}), "<<DIRLIST|\\Presentations|Aa.ppt:Ib.doc>>"},
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
  (void)comm_.CommClose(kRigPort);
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
  commands_.ActivateWindow(10);
  EXPECT_EQ(windows_.calls, texts({"minimize(7)", "maximize(8)", "raise(9)", "activate(10)"}));
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
    make(QStringLiteral("docs/talk.pdf"));
    make(QStringLiteral("apps/viewer.desktop"), true);
    make(QStringLiteral("path/ontool"), true);
    make(QStringLiteral("path/plain"));
    qputenv("PATH", (base_.path() + QStringLiteral("/path")).toLocal8Bit());
  }
  void TearDown() override { qputenv("PATH", savedPath_); }

  // "$B" stands for the base folder.
  QString expand(const char* value) const {
    return text(value).replace(QStringLiteral("$B"), base_.path());
  }

  // The registry as the desktop fills it: the browser's command as the default value of
  // "http\shell\open\command", the key missing when the desktop names no browser.
  static void putBrowserCommand(FakeRegistry& registry, const QString& command) {
    if (!command.isEmpty()) {
      registry.put(RegistryRoot::ClassesRoot, QStringLiteral("http\\shell\\open\\command"),
                   QString(), RegistryValue{registry::kRegSz, command, 0});
    }
  }

  QByteArray savedPath_;
};

// A program starts with its parameters; anything else opens with the desktop's application for it
// (the command's program part, as the shell's open took it), never started as a program.
TEST_F(LaunchProgramTest, ProgramsStartAndEverythingElseOpens) {
  using Style = DesktopShell::WindowStyle;
  struct Case {
    const char* command;
    qint32 windowStyle;
    bool starts;
    const char* program;  // started, or opened
    QStringList arguments;
    Style style;
  };
  const std::vector<Case> cases = {
      {"$B/bin/tool -f talk.ppt", 3, true, "$B/bin/tool", texts({"-f", "talk.ppt"}),
       Style::Maximized},
      {"$B/bin/tool", 3, true, "$B/bin/tool", {}, Style::Maximized},
      {"$B/bin/My App/run --open \"a b.odp\" \"\"", 1, true, "$B/bin/My App/run",
       texts({"--open", "a b.odp", ""}), Style::Normal},
      {"ontool  a   b", 3, true, "ontool", texts({"a", "b"}), Style::Maximized},
      // Only the two codes the dispatcher passes have a meaning.
      {"ontool", 2, true, "ontool", {}, Style::Normal},
      {"ontool", 0, true, "ontool", {}, Style::Normal},
      // Documents, folders, addresses and desktop entries (even one with the execute bit).
      {"$B/docs/talk.pdf", 1, false, "$B/docs/talk.pdf", {}, Style::Normal},
      {"$B/docs", 3, false, "$B/docs", {}, Style::Normal},
      {"https://example.invalid/a b", 3, false, "https://example.invalid/a b", {}, Style::Normal},
      {"$B/apps/viewer.desktop", 1, false, "$B/apps/viewer.desktop", {}, Style::Normal},
      {"viewer.desktop", 1, false, "viewer.desktop", {}, Style::Normal},
      {"$B/bin/plain.txt x", 1, false, "$B/bin/plain.txt x", {}, Style::Normal},
      {"$B/bin x", 1, false, "$B/bin x", {}, Style::Normal},
      {"plain a", 3, false, "plain a", {}, Style::Normal},
      {"My Program With Spaces", 1, false, "My Program With Spaces", {}, Style::Normal},
      // ".EXE" splits as before: what stands up to it is opened, its parameters dropped.
      {"C:\\Tools\\viewer.exe -f talk.ppt", 3, false, "C:\\Tools\\viewer.exe", {}, Style::Normal},
      {"C:\\Program Files\\App\\app.EXE",
       3,
       false,
       "C:\\Program Files\\App\\app.EXE",
       {},
       Style::Normal},
      {"C:\\a.exe/x", 1, false, "C:\\a.exe/x", {}, Style::Normal},
      {"C:\\a.exe/x y", 1, false, "C:\\a.exe", {}, Style::Normal},
      {"C:\\a.exe   ", 1, false, "C:\\a.exe", {}, Style::Normal},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    shell_.starts.clear();
    shell_.opened.clear();
    commands_.LaunchProgram(expand(c.command), c.windowStyle);
    if (c.starts) {
      ASSERT_EQ(shell_.starts.size(), 1);
      EXPECT_TRUE(shell_.opened.isEmpty());
      EXPECT_EQ(shell_.starts[0].program, expand(c.program));
      EXPECT_EQ(shell_.starts[0].arguments, c.arguments);
      EXPECT_EQ(shell_.starts[0].style, c.style);
    } else {
      EXPECT_TRUE(shell_.starts.isEmpty());
      EXPECT_EQ(shell_.opened, QStringList{expand(c.program)});
    }
  }
}

// The browser's whole command line, as its desktop entry has it: snap and Flatpak browsers are
// started through "env" and "flatpak run".
TEST_F(LaunchProgramTest, TheBrowserNamesStartTheDesktopsBrowser) {
  struct Case {
    const char* command;
    const char* browserCommand;
    const char* program;  // "" for nothing started
    QStringList arguments;
  };
  const std::vector<Case> cases = {
      {"iexplore", "chromium %U", "chromium", {}},
      {"FireFox",
       "env BAMF_DESKTOP_FILE_HINT=/var/lib/snapd/desktop/applications/firefox_firefox.desktop "
       "/snap/bin/firefox %u",
       "env",
       texts({"BAMF_DESKTOP_FILE_HINT=/var/lib/snapd/desktop/applications/firefox_firefox.desktop",
              "/snap/bin/firefox"})},
      {"firefox",
       "/usr/bin/flatpak run --branch=stable --arch=x86_64 --command=firefox --file-forwarding "
       "org.mozilla.firefox @@u %u @@",
       "/usr/bin/flatpak",
       texts({"run", "--branch=stable", "--arch=x86_64", "--command=firefox", "--file-forwarding",
              "org.mozilla.firefox", "@@u", "@@"})},
      {"iexplore", "\"/opt/My Browser/browse\" --new-window %u", "/opt/My Browser/browse",
       texts({"--new-window"})},
      {"IEXPLORE", "", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    shell_.starts.clear();
    shell_.opened.clear();
    FakeRegistry registry;
    putBrowserCommand(registry, text(c.browserCommand));
    DefaultBrowser browser{registry};
    LibCommands commands{
        CommandsServices{windows_, shell_, general_, settings_, browser, clock_, pump_}};
    commands.LaunchProgram(text(c.command), LibCommands::kShowMaximized);
    EXPECT_TRUE(shell_.opened.isEmpty());
    if (*c.program == '\0') {
      EXPECT_TRUE(shell_.starts.isEmpty());
      continue;
    }
    ASSERT_EQ(shell_.starts.size(), 1);
    EXPECT_EQ(shell_.starts[0].program, text(c.program));
    EXPECT_EQ(shell_.starts[0].arguments, c.arguments);
    EXPECT_EQ(shell_.starts[0].style, DesktopShell::WindowStyle::Maximized);
  }
}

// One look at the registry serves the whole agent: the type the handheld is told and every start.
// The desktop itself is asked only behind the registry, which keeps that answer.
TEST_F(LaunchProgramTest, TheDefaultBrowserIsLookedUpOnce) {
  struct Case {
    const char* browserCommand;
    const char* type;
  };
  const Case cases[] = {
      {"env BAMF_DESKTOP_FILE_HINT=x /snap/bin/firefox %u", "FIREFOX"},
      {"/usr/lib/firefox-esr/firefox-esr %u", "FIREFOX"},
      {"chromium %U", "INTERNET_EXPLORER"},
      {"", "INTERNET_EXPLORER"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.browserCommand);
    FakeRegistry registry;
    putBrowserCommand(registry, text(c.browserCommand));
    shell_.browserLookups = 0;
    DefaultBrowser browser{registry};
    LibCommands commands{
        CommandsServices{windows_, shell_, general_, settings_, browser, clock_, pump_}};
    EXPECT_EQ(browser.DetectDefaultBrowser(), text(c.type));
    commands.LaunchProgram(QStringLiteral("firefox"), LibCommands::kShowMaximized);
    commands.LaunchProgram(QStringLiteral("iexplore"), LibCommands::kShowMaximized);
    EXPECT_EQ(registry.queries, 1);
    EXPECT_EQ(shell_.browserLookups, 0);
  }
}

TEST_F(LaunchProgramTest, AProgramThatDoesNotStartStillGetsItsPause) {
  shell_.failStart = true;
  shell_.failOpen = true;
  commands_.LaunchProgram(QStringLiteral("ontool"), LibCommands::kShowNormal);
  EXPECT_EQ(shell_.starts.size(), 1);
  EXPECT_GT(clock_.now, quint32{LibCommands::kLaunchPauseMs});

  clock_.now = 0;
  commands_.LaunchProgram(QStringLiteral("nothing here"), LibCommands::kShowNormal);
  EXPECT_EQ(shell_.opened, QStringList{QStringLiteral("nothing here")});
  EXPECT_GT(clock_.now, quint32{LibCommands::kLaunchPauseMs});

  shell_.starts.clear();
  clock_.now = 0;
  shell_.opened.clear();
  commands_.LaunchProgram(QString(), LibCommands::kShowNormal);
  EXPECT_TRUE(shell_.starts.isEmpty());
  EXPECT_TRUE(shell_.opened.isEmpty());
  EXPECT_GT(clock_.now, quint32{LibCommands::kLaunchPauseMs});
}

}  // namespace
