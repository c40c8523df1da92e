#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <optional>
#include <vector>

#include "platform/linux/LinuxDesktopShell.h"
#include "shared/AboutCore.h"
#include "tests/support/EnvironmentGuard.h"
#include "tests/support/FakeDesktopShell.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/FakeRegistry.h"
#include "tests/support/TestPrinting.h"

namespace {

const QString kKey = QStringLiteral("SOFTWARE\\Corvane\\Tools");
const QString kUnavailable = QStringLiteral("System Information Is Unavailable At This Time");

TEST(GetKeyValue, ReadsAValueAsText) {
  struct Case {
    const char* name;
    std::optional<RegistryValue> stored;  // nothing: the value is missing
    const char* before;                   // what the caller's text held
    bool result;
    QString after;
  };
  const QString twenty = QStringLiteral("C:/Tools/msinfo.exe!");
  const std::vector<Case> cases = {
      {"text of 20", RegistryValue{registry::kRegSz, twenty, 0}, "old", true, twenty},
      {"empty text", RegistryValue{registry::kRegSz, QString(), 0}, "old", true, QString()},
      {"text that fills the buffer",
       RegistryValue{registry::kRegSz, QString(aboutcore::kKeyValueBufferBytes - 1, u'a'), 0}, "",
       true, QString(aboutcore::kKeyValueBufferBytes - 1, u'a')},
      {"text beyond the buffer",
       RegistryValue{registry::kRegSz, QString(aboutcore::kKeyValueBufferBytes, u'a'), 0}, "old",
       false, QString()},
      {"number", RegistryValue{registry::kRegDword, {}, 0x12345678u}, "", true,
       QStringLiteral("&h12345678")},
      {"number, digits without leading zeros", RegistryValue{registry::kRegDword, {}, 0x0A000C0Du},
       "", true, QStringLiteral("&hA0CD")},
      {"number with a top byte of 0", RegistryValue{registry::kRegDword, {}, 1u}, "", true,
       QStringLiteral("&h001")},
      {"number after earlier text", RegistryValue{registry::kRegDword, {}, 0xFF000001u}, "x", true,
       QStringLiteral("&hxFF001")},
      {"other type", RegistryValue{registry::kRegExpandSz, QStringLiteral("%WINDIR%"), 0}, "kept",
       true, QStringLiteral("kept")},
      {"missing value", std::nullopt, "old", false, QString()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRegistry registry;
    registry.addKey(RegistryRoot::LocalMachine, kKey);
    if (c.stored) {
      registry.put(RegistryRoot::LocalMachine, kKey, QStringLiteral("PATH"), *c.stored);
    }
    QString keyVal = QString::fromUtf8(c.before);
    EXPECT_EQ(aboutcore::GetKeyValue(registry, RegistryRoot::LocalMachine, kKey,
                                     QStringLiteral("PATH"), keyVal),
              c.result);
    EXPECT_EQ(keyVal, c.after);
  }

  FakeRegistry empty;
  QString keyVal = QStringLiteral("old");
  EXPECT_FALSE(aboutcore::GetKeyValue(empty, RegistryRoot::LocalMachine, kKey,
                                      QStringLiteral("PATH"), keyVal));
  EXPECT_TRUE(keyVal.isEmpty());
}

// The system-information tools are looked for on a PATH the test makes.
class StartSysInfoTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bin_.isValid());
    qputenv("PATH", bin_.path().toLocal8Bit());
  }

  // An executable `name` on the PATH that records its arguments in "<name>.ran".
  void install(const QString& name) {
    QFile tool(bin_.filePath(name));
    ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
    tool.write(QStringLiteral("#!/bin/sh\necho \"$@\" > '%1.ran'\n").arg(tool.fileName()).toUtf8());
    tool.close();
    ASSERT_TRUE(tool.setPermissions(tool.permissions() | QFileDevice::ExeOwner));
  }

  EnvironmentGuard path_{"PATH"};
  QTemporaryDir bin_;
  FakeMessageBoxes boxes_;
};

// The first tool of the list that is installed starts, with its argument; nothing is said.
TEST_F(StartSysInfoTest, StartsTheFirstToolInstalled) {
  struct Case {
    std::vector<const char*> installed;
    const char* program;
    QStringList arguments;
  };
  const std::vector<Case> cases = {
      {{"gnome-control-center", "hardinfo"}, "hardinfo", {}},
      {{"gnome-control-center", "xfce4-about"}, "xfce4-about", {}},
      {{"gnome-control-center"}, "gnome-control-center", {QStringLiteral("info-overview")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program);
    QTemporaryDir bin;
    qputenv("PATH", bin.path().toLocal8Bit());
    for (const char* name : c.installed) {
      QFile tool(bin.filePath(QString::fromLatin1(name)));
      ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
      tool.close();
      ASSERT_TRUE(tool.setPermissions(tool.permissions() | QFileDevice::ExeOwner));
    }
    FakeDesktopShell shell;
    aboutcore::StartSysInfo(shell, boxes_);
    ASSERT_EQ(shell.starts.size(), 1);
    EXPECT_EQ(shell.starts[0].program, bin.filePath(QString::fromLatin1(c.program)));
    EXPECT_EQ(shell.starts[0].arguments, c.arguments);
    EXPECT_TRUE(boxes_.shown.empty());
  }
}

TEST_F(StartSysInfoTest, TheToolRunsOnTheDesktop) {
  install(QStringLiteral("gnome-control-center"));
  LinuxDesktopShell desktop;
  aboutcore::StartSysInfo(desktop, boxes_);
  const QString ran = bin_.filePath(QStringLiteral("gnome-control-center.ran"));
  const QDeadlineTimer deadline(10000);
  while (QFileInfo(ran).size() == 0 && !deadline.hasExpired()) {
    QThread::msleep(10);
  }
  QFile file(ran);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll().trimmed(), QByteArray("info-overview"));
  EXPECT_TRUE(boxes_.shown.empty());
}

// No tool, a tool that does not start: the one message, with only OK and no title of its own.
TEST_F(StartSysInfoTest, WithoutAToolItSaysSo) {
  for (const bool installed : {false, true}) {
    SCOPED_TRACE(installed ? "tool does not start" : "no tool");
    if (installed) {
      install(QStringLiteral("kinfocenter"));
    }
    FakeDesktopShell shell;
    shell.failStart = true;
    boxes_.shown.clear();
    aboutcore::StartSysInfo(shell, boxes_);
    EXPECT_EQ(shell.starts.size(), installed ? 1 : 0);
    ASSERT_EQ(boxes_.shown.size(), 1U);
    EXPECT_EQ(boxes_.shown[0].icon, MessageBoxIcon::None);
    EXPECT_EQ(boxes_.shown[0].buttons, MessageBoxButtons::Ok);
    EXPECT_EQ(boxes_.shown[0].text, kUnavailable);
    EXPECT_TRUE(boxes_.shown[0].title.isEmpty());
  }
}

}  // namespace
