#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include "agent/LibSettings.h"
#include "platform/linux/IniProfileFiles.h"
#include "tests/support/TestPrinting.h"

namespace {

// A private program folder with the real settings file in it: what the agent finds on disk at
// start-up and leaves there on exit is what these tests are about.
class LibSettingsTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

  QString folder() const { return dir_.path(); }
  QString configPath() const { return folder() + QStringLiteral("/config.ini"); }
  QByteArray defaultRoot() const { return (folder() + QStringLiteral("/Shared/")).toUtf8(); }

  void writeConfig(const QByteArray& bytes) const {
    QFile file(configPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
  }

  QByteArray configBytes() const {
    QFile file(configPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QTemporaryDir dir_;
  IniProfileFiles profiles_;
};

TEST_F(LibSettingsTest, FirstRunGivesTheDefaultsAndTheFirstSaveWritesThemOut) {
  LibSettings settings(profiles_, folder());
  EXPECT_EQ(settings.ConfigFile, configPath());
  settings.LoadConfig();
  EXPECT_EQ(settings.RootDirPath, folder() + QStringLiteral("/Shared/"));
  for (std::size_t slot = 1; slot <= 4; ++slot) {
    EXPECT_EQ(settings.ButtonApps[slot], QString()) << "slot " << slot;
  }
  EXPECT_FALSE(QFile::exists(configPath())) << "loading creates nothing";

  settings.SaveConfig();
  EXPECT_EQ(configBytes(), "[Configuration]\r\nRootDir=" + defaultRoot() +
                               "\r\n[Buttons]\r\nApp_A=\r\nApp_B=\r\nApp_C=\r\nApp_D=\r\n");
}

TEST_F(LibSettingsTest, RootDirIsReadWithoutBlanksAndDefaultsWhenEmpty) {
  struct Case {
    const char* name;
    QByteArray line;   // the RootDir line in config.ini
    QString expected;  // empty: the default root
  };
  const Case cases[] = {
      {"blanks around the path", "RootDir=   /srv/talks/  ", QStringLiteral("/srv/talks/")},
      {"no trailing separator stays so", "RootDir=/srv/talks", QStringLiteral("/srv/talks")},
      {"one character", "RootDir=x", QStringLiteral("x")},
      {"blanks inside quotes", "RootDir=\" /srv/q/ \"", QStringLiteral("/srv/q/")},
      {"empty value", "RootDir=", QString()},
      {"only blanks", "RootDir=    ", QString()},
      {"quoted blanks", "RootDir=\"  \"", QString()},
      {"no key", "; RootDir=/srv/old/", QString()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeConfig("[Configuration]\r\n" + c.line + "\r\n");
    LibSettings settings(profiles_, folder());
    settings.LoadConfig();
    const QString expected =
        c.expected.isEmpty() ? folder() + QStringLiteral("/Shared/") : c.expected;
    EXPECT_EQ(settings.RootDirPath, expected);

    settings.SaveConfig();
    EXPECT_EQ(profiles_.readString("Configuration", "RootDir", QString(), configPath()), expected);
  }
}

TEST_F(LibSettingsTest, SaveWritesTheRootTrimmed) {
  LibSettings settings(profiles_, folder());
  settings.RootDirPath = QStringLiteral("  /srv/talks/ ");
  settings.SaveConfig();
  EXPECT_TRUE(configBytes().startsWith("[Configuration]\r\nRootDir=/srv/talks/\r\n"));
}

TEST_F(LibSettingsTest, MappingsSurviveALoadAndSaveCycleWithTheRestOfTheFile) {
  // App_D has no row on the launcher page: it is set by hand and must still go round.
  const QByteArray before =
      "; edited by hand\r\n"
      "[Communications]\r\nPort=3\r\n"
      "[buttons]\r\napp_a=x\r\nApp_B=\r\nApp_D = /usr/bin/vlc --fullscreen \r\n";
  writeConfig(before);
  {
    LibSettings settings(profiles_, folder());
    settings.LoadConfig();
    EXPECT_EQ(settings.ButtonApps[1], QStringLiteral("x"));
    EXPECT_EQ(settings.ButtonApps[2], QString());
    EXPECT_EQ(settings.ButtonApps[3], QString());
    EXPECT_EQ(settings.ButtonApps[4], QStringLiteral("/usr/bin/vlc --fullscreen"));
    settings.ButtonApps[2] = QStringLiteral("/usr/bin/gimp");
    settings.SaveConfig();
  }
  EXPECT_EQ(configBytes(),
            "; edited by hand\r\n"
            "[Communications]\r\nPort=3\r\n"
            "[buttons]\r\napp_a=x\r\nApp_B=/usr/bin/gimp\r\nApp_D =/usr/bin/vlc --fullscreen\r\n"
            "App_C=\r\n"
            "[Configuration]\r\nRootDir=" +
                defaultRoot() + "\r\n");

  LibSettings next(profiles_, folder());
  next.LoadConfig();
  EXPECT_EQ(next.ButtonApps[2], QStringLiteral("/usr/bin/gimp"));
  EXPECT_EQ(next.ButtonApps[4], QStringLiteral("/usr/bin/vlc --fullscreen"));
  EXPECT_EQ(next.ReadIniString("Communications", "Port", QString()), QStringLiteral("3"));
}

TEST_F(LibSettingsTest, AnUnwritableProgramFolderIsNoError) {
  LibSettings settings(profiles_, folder() + QStringLiteral("/missing"));
  settings.LoadConfig();
  EXPECT_EQ(settings.RootDirPath, folder() + QStringLiteral("/missing/Shared/"));
  settings.ButtonApps[1] = QStringLiteral("/usr/bin/gimp");
  settings.SaveConfig();
  EXPECT_FALSE(settings.WriteIniString("Communications", "Port", "3"));
  EXPECT_FALSE(QFile::exists(settings.ConfigFile));
}

}  // namespace
