#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <optional>

#include "platform/linux/QtFileDialogs.h"
#include "tests/support/FileDialogDriver.h"
#include "tests/support/MainWindowRig.h"
#include "tests/support/TestPrinting.h"

namespace {

const QString kClearText = QStringLiteral("Would you like to clear the current button mapping?");
const QString kClearTitle = QStringLiteral("Clear Current Mapping?");
const QString kChooserTitle = QStringLiteral("Please select an executable");

class LauncherPageTest : public MainWindowRig, public testing::Test {
 protected:
  frmMain& window() { return *window_; }

  // The value config.ini holds now, as a newly started agent would read it.
  [[nodiscard]] std::optional<QString> savedMapping(const char* key) const {
    const QString missing = QStringLiteral("<missing>");
    const QString value = IniProfileFiles().readString(
        QStringLiteral("Buttons"), QString::fromLatin1(key), missing, configPath());
    return value == missing ? std::nullopt : std::optional<QString>(value);
  }

  void clickRow(std::size_t row, bool onLabel) {
    if (onLabel) {
      QTest::mouseClick(window().lblApp[row], Qt::LeftButton);
    } else {
      QTest::mouseClick(window().cmdQL[row], Qt::LeftButton);
    }
  }
};

TEST_F(LauncherPageTest, RowsAToCShowTheMappedProgramsAndDStaysHidden) {
  writeConfig(
      "[Buttons]\r\nApp_A=/usr/bin/env\r\nApp_B=\r\nApp_C=/opt/tools/run me\r\n"
      "App_D=/usr/bin/true\r\n");
  load();
  EXPECT_EQ(window().lblApp[0]->text(), QStringLiteral("/usr/bin/env"));
  EXPECT_EQ(window().lblApp[1]->text(), QString());
  EXPECT_EQ(window().lblApp[2]->text(), QStringLiteral("/opt/tools/run me"));
  EXPECT_EQ(agent_->settings.ButtonApps[4], QStringLiteral("/usr/bin/true"));
  const char* captions[] = {"A", "B", "C", "D"};
  for (std::size_t row = 0; row < 4; ++row) {
    SCOPED_TRACE(captions[row]);
    const bool shown = row < 3;
    EXPECT_EQ(window().cmdQL[row]->text(), QString::fromLatin1(captions[row]));
    EXPECT_EQ(window().cmdQL[row]->isVisibleTo(window().picTab2), shown);
    EXPECT_EQ(window().lblApp[row]->isVisibleTo(window().picTab2), shown);
    EXPECT_TRUE(window().lblApp[row]->alignment().testFlag(Qt::AlignRight));
  }
}

TEST_F(LauncherPageTest, ChoosingOrClearingAMappingIsSavedAtOnce) {
  struct Case {
    const char* name;
    QByteArray mapped;  // App_B before; empty: none
    bool onLabel;       // the row's label or its button
    QString chosen;     // the dialog's answer; empty: cancelled
    MessageBoxAnswer answer;
    QString shown;  // lblApp2 afterwards
    bool asked;     // the clear question came
    bool written;   // config.ini changed
  };
  const QString env = QStringLiteral("/usr/bin/env");
  const QString trueProgram = QStringLiteral("/usr/bin/true");
  const Case cases[] = {
      {"chosen for an empty slot", "", false, env, MessageBoxAnswer::Yes, env, false, true},
      {"chosen on the label", "", true, env, MessageBoxAnswer::Yes, env, false, true},
      {"chosen anew", "/usr/bin/true", false, env, MessageBoxAnswer::Yes, env, false, true},
      {"cancelled, cleared", "/usr/bin/true", false, {}, MessageBoxAnswer::Yes, {}, true, true},
      {"cancelled, kept",
       "/usr/bin/true",
       true,
       {},
       MessageBoxAnswer::No,
       trueProgram,
       true,
       false},
      {"cancelled on an empty slot", "", false, {}, MessageBoxAnswer::Yes, {}, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    agent_.reset();
    window_.reset();
    boxes_.shown.clear();
    boxes_.answer = c.answer;
    dialogs_.asked.clear();
    dialogs_.answers.clear();
    if (!c.chosen.isEmpty()) {
      dialogs_.answers.push_back(c.chosen);
    }
    writeConfig("[Buttons]\r\nApp_A=/usr/bin/ls\r\nApp_B=" + c.mapped + "\r\n");
    const QByteArray before = configBytes();
    load();
    (void)window().tabMenu->SetTabFocus(2);

    clickRow(1, c.onLabel);

    ASSERT_EQ(dialogs_.asked.size(), 1u);
    const FileDialogs::OpenFileRequest& asked = dialogs_.asked[0];
    EXPECT_EQ(asked.title, kChooserTitle);
    EXPECT_TRUE(asked.filter.programsOnly);
    EXPECT_TRUE(asked.hideReadOnly);
    EXPECT_EQ(asked.startFolder, QStringLiteral("/usr/bin"));
    EXPECT_EQ(asked.selectedFile, QString::fromUtf8(c.mapped));

    EXPECT_EQ(window().lblApp[1]->text(), c.shown);
    EXPECT_EQ(agent_->settings.ButtonApps[2], c.shown);
    ASSERT_EQ(boxes_.shown.size(), c.asked ? 1u : 0u);
    if (c.asked) {
      EXPECT_EQ(boxes_.shown[0].text, kClearText);
      EXPECT_EQ(boxes_.shown[0].title, kClearTitle);
      EXPECT_EQ(boxes_.shown[0].icon, MessageBoxIcon::None);
      EXPECT_EQ(boxes_.shown[0].buttons, MessageBoxButtons::YesNo);
    }
    if (c.written) {
      EXPECT_EQ(savedMapping("App_B"), std::optional<QString>(c.shown));
      EXPECT_EQ(savedMapping("App_A"), std::optional<QString>(QStringLiteral("/usr/bin/ls")));
    } else {
      EXPECT_EQ(configBytes(), before);
    }
    EXPECT_EQ(window().lblApp[0]->text(), QStringLiteral("/usr/bin/ls")) << "row A untouched";
  }
}

TEST_F(LauncherPageTest, ChooserOpensWhereTheMappedProgramLies) {
  const QString onPath = QStandardPaths::findExecutable(QStringLiteral("env"));
  ASSERT_FALSE(onPath.isEmpty());
  struct Case {
    const char* name;
    QByteArray mapped;
    QString folder;
    QString selected;
  };
  const Case cases[] = {
      {"a full path", "/usr/bin/env", QStringLiteral("/usr/bin"), QStringLiteral("/usr/bin/env")},
      {"a name on PATH", "env", QFileInfo(onPath).absolutePath(), onPath},
      {"a folder that is gone", "/no/such/folder/tool", QStringLiteral("/usr/bin"),
       QStringLiteral("/no/such/folder/tool")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    agent_.reset();
    window_.reset();
    dialogs_.asked.clear();
    boxes_.answer = MessageBoxAnswer::No;
    writeConfig("[Buttons]\r\nApp_C=" + c.mapped + "\r\n");
    load();
    clickRow(2, false);
    ASSERT_EQ(dialogs_.asked.size(), 1u);
    EXPECT_EQ(dialogs_.asked[0].startFolder, c.folder);
    EXPECT_EQ(dialogs_.asked[0].selectedFile, c.selected);
  }
}

TEST_F(LauncherPageTest, AMappingThatCannotBeSavedIsKeptAndReported) {
  ASSERT_TRUE(QDir().mkpath(configPath())) << "a folder where config.ini should be";
  load();
  dialogs_.answers.push_back(QStringLiteral("/usr/bin/env"));
  clickRow(0, false);
  EXPECT_EQ(window().lblApp[0]->text(), QStringLiteral("/usr/bin/env"));
  EXPECT_EQ(agent_->settings.ButtonApps[1], QStringLiteral("/usr/bin/env"));
  EXPECT_EQ(window().lblStatus->text(),
            QStringLiteral("The mapping could not be saved in config.ini."));
  EXPECT_TRUE(window().isVisible());
}

// The real dialog, as the user gets it: what it lists, where it opens, what it returns.
class ProgramChooserTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    const QFileDevice::Permissions plain = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    const struct {
      const char* name;
      bool executable;
    } files[] = {{"run.sh", true},          {"tool", true},
                 {"notes.txt", false},      {"app.desktop", false},
                 {"Viewer.DESKTOP", false}, {"readme", false}};
    for (const auto& f : files) {
      QFile file(dir_.filePath(QString::fromLatin1(f.name)));
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write("#!/bin/sh\n");
      file.close();
      ASSERT_TRUE(file.setPermissions(f.executable ? plain | QFileDevice::ExeOwner : plain));
    }
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("sub")));
  }

  // Runs the dialog; `act` gets it once it lists `expected` (the folder is read in the background),
  // or after a bound when it never does, so that the test sees what it lists instead. The dialog
  // is closed after `act` if `act` left it open.
  QString run(const FileDialogs::OpenFileRequest& request, const QStringList& expected,
              const std::function<void(QFileDialog&)>& act) {
    QtFileDialogs dialogs;
    return DriveFileDialog([&] { return dialogs.getOpenFileName(request); }, expected, act,
                           kListingBoundMs);
  }

  // What the program chooser lists of the folder: its programs, desktop entries and folders.
  static QStringList listedPrograms() {
    return {QStringLiteral("Viewer.DESKTOP"), QStringLiteral("app.desktop"),
            QStringLiteral("run.sh"), QStringLiteral("sub"), QStringLiteral("tool")};
  }

  static constexpr int kListingBoundMs = 5000;
  QTemporaryDir dir_;
};

TEST_F(ProgramChooserTest, ListsFoldersProgramsAndDesktopEntriesAndReturnsTheChoice) {
  FileDialogs::OpenFileRequest request;
  request.title = kChooserTitle;
  request.startFolder = dir_.path();
  request.filter = {QStringLiteral("Executable"), {}, true};
  request.hideReadOnly = true;
  const QStringList programs = listedPrograms();
  QStringList names;
  QString title;
  const QString chosen = run(request, programs, [&](QFileDialog& dialog) {
    names = ListedNames(dialog);
    title = dialog.windowTitle();
    const QString artefacts = QStringLiteral(CORVANE_TEST_ARTIFACTS);
    QDir().mkpath(artefacts);
    (void)dialog.grab().save(artefacts + QStringLiteral("/program-chooser.png"));
    // As a user does: click the program in the list, then Open.
    auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
    ASSERT_NE(view, nullptr);
    QModelIndex item;
    for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
      const QModelIndex at = view->model()->index(row, 0, view->rootIndex());
      if (at.data().toString() == QStringLiteral("run.sh")) {
        item = at;
      }
    }
    ASSERT_TRUE(item.isValid());
    view->scrollTo(item);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
    auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    ASSERT_NE(buttons, nullptr);
    QTest::mouseClick(buttons->button(QDialogButtonBox::Open), Qt::LeftButton);
  });
  EXPECT_EQ(title, kChooserTitle);
  EXPECT_EQ(names, programs);
  EXPECT_EQ(chosen, dir_.filePath(QStringLiteral("run.sh")));
}

TEST_F(ProgramChooserTest, OpensWithTheMappedProgramSelectedAndCancelGivesNothing) {
  FileDialogs::OpenFileRequest request;
  request.title = kChooserTitle;
  request.startFolder = dir_.path();
  request.filter = {QStringLiteral("Executable"), {}, true};
  request.selectedFile = dir_.filePath(QStringLiteral("tool"));
  QString folder;
  QString typed;
  const QString chosen = run(request, listedPrograms(), [&](QFileDialog& dialog) {
    folder = dialog.directory().absolutePath();
    const auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    typed = name != nullptr ? name->text() : QString();
    dialog.reject();
  });
  EXPECT_EQ(folder, QDir(dir_.path()).absolutePath());
  EXPECT_EQ(typed, QStringLiteral("tool"));
  EXPECT_EQ(chosen, QString());
}

TEST_F(ProgramChooserTest, ANameFilterListsTheMatchingFiles) {
  FileDialogs::OpenFileRequest request;
  request.title = QStringLiteral("Notes");
  request.startFolder = dir_.path();
  request.filter = {QStringLiteral("Text"), {QStringLiteral("*.txt")}, false};
  const QStringList texts{QStringLiteral("notes.txt"), QStringLiteral("sub")};
  QStringList names;
  (void)run(request, texts, [&](QFileDialog& dialog) { names = ListedNames(dialog); });
  EXPECT_EQ(names, texts);
}

}  // namespace
