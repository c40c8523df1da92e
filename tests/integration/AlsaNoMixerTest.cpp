#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryFile>
#include <cstdio>

#include "agent/LibWMPCustom.h"
#include "platform/linux/AlsaAudioMixers.h"
#include "tests/support/TestPrinting.h"

// The master volume when ALSA's default card leads to a sound server that is not there. This runs
// under scripts/with-pulse.sh, whose server is running, but points the whole process elsewhere
// (PULSE_SERVER), so it is a process of its own; the server shows whether anything reached it.
namespace {

constexpr int kClientMs = 10000;

// The default sink's volume of the running server, through its own client.
QString serverVolume(const QString& server) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("PULSE_SERVER"), server);
  QProcess client;
  client.setProcessEnvironment(environment);
  client.start(QStringLiteral("pactl"),
               {QStringLiteral("get-sink-volume"), QStringLiteral("@DEFAULT_SINK@")});
  if (!client.waitForFinished(kClientMs) || client.exitCode() != 0) {
    client.kill();
    client.waitForFinished();
    return {};
  }
  return QString::fromUtf8(client.readAllStandardOutput());
}

TEST(AlsaNoMixer, WithoutAServerTheVolumeReadsZeroAndNothingIsSet) {
  const QString server = qEnvironmentVariable("PULSE_SERVER");
  // Never the user's own sound server, nor a real card that ALSA's default could fall back to.
  ASSERT_TRUE(server.contains(QStringLiteral("corvane-pulse")))
      << "run this under scripts/with-pulse.sh";
  const QString before = serverVolume(server);
  ASSERT_TRUE(before.contains(QLatin1Char('%'))) << "the sound server does not answer";

  QTemporaryFile nowhere;
  ASSERT_TRUE(nowhere.open());
  qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(nowhere.fileName()) + ".none");

  QTemporaryFile capture;
  ASSERT_TRUE(capture.open());
  std::fflush(stderr);
  const int savedError = dup(STDERR_FILENO);
  ASSERT_GE(savedError, 0);
  ASSERT_GE(dup2(capture.handle(), STDERR_FILENO), 0);

  QStringList complaints;
  qint32 read = -1;
  qint32 readAgain = -1;
  {
    AlsaAudioMixers mixers;
    mixers.setDiagnostics([&complaints](const QString& text) { complaints << text; });
    LibWMPCustom volume(mixers);
    read = volume.GetMasterVolume();
    volume.SetMasterVolume(37);
    readAgain = volume.GetMasterVolume();
  }

  std::fflush(stderr);
  dup2(savedError, STDERR_FILENO);
  close(savedError);
  QFile written(capture.fileName());
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  const QString standardError = QString::fromLocal8Bit(written.readAll());

  EXPECT_EQ(read, 0);
  EXPECT_EQ(readAgain, 0);
  EXPECT_EQ(serverVolume(server), before);
  // ALSA said why, to the sink and not to the standard error.
  EXPECT_FALSE(complaints.isEmpty());
  EXPECT_EQ(standardError, QString());
}

}  // namespace
