#include <alsa/asoundlib.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryFile>
#include <QThread>
#include <cstdio>
#include <optional>
#include <thread>

#include "agent/LibWMPCustom.h"
#include "platform/linux/AlsaAudioMixers.h"
#include "tests/support/TestPrinting.h"

// The master volume through ALSA's default card, which scripts/with-pulse.sh routes to a private
// PulseAudio with a null sink. pactl, the server's own client, tells what a user would see in the
// desktop's volume control.
namespace {

constexpr int kClientMs = 10000;
// How long a change made through the server may take to reach ALSA's side.
constexpr int kChangeWaitMs = 5000;

// What the server's own client prints; nothing when it failed.
std::optional<QString> pactl(const QStringList& arguments) {
  QProcess client;
  client.start(QStringLiteral("pactl"), arguments);
  if (!client.waitForFinished(kClientMs) || client.exitStatus() != QProcess::NormalExit ||
      client.exitCode() != 0) {
    client.kill();
    client.waitForFinished();
    return std::nullopt;
  }
  return QString::fromUtf8(client.readAllStandardOutput());
}

// Every channel's percent of the default sink ("front-left: 24248 /  37% / ...").
QList<int> sinkPercents() {
  QList<int> percents;
  const QString volume =
      pactl({QStringLiteral("get-sink-volume"), QStringLiteral("@DEFAULT_SINK@")})
          .value_or(QString());
  auto matches = QRegularExpression(QStringLiteral("(\\d+)%")).globalMatch(volume);
  while (matches.hasNext()) {
    percents << matches.next().captured(1).toInt();
  }
  return percents;
}

// What the process writes to its standard error (fd 2, where ALSA's own handler prints) while it
// lives.
class StandardErrorCapture {
 public:
  StandardErrorCapture() {
    if (file_.open()) {
      std::fflush(stderr);
      saved_ = dup(STDERR_FILENO);
      dup2(file_.handle(), STDERR_FILENO);
    }
  }
  ~StandardErrorCapture() { restore(); }
  StandardErrorCapture(const StandardErrorCapture&) = delete;
  StandardErrorCapture& operator=(const StandardErrorCapture&) = delete;

  QString finish() {
    restore();
    QFile written(file_.fileName());
    return written.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(written.readAll())
                                             : QStringLiteral("(capture lost)");
  }

 private:
  void restore() {
    if (saved_ >= 0) {
      std::fflush(stderr);
      dup2(saved_, STDERR_FILENO);
      close(saved_);
      saved_ = -1;
    }
  }

  QTemporaryFile file_;
  int saved_ = -1;
};

// ALSA complains about a control device it does not know: a cheap complaint that leaves the
// default card alone.
void provokeComplaint() {
  snd_ctl_t* control = nullptr;
  if (snd_ctl_open(&control, "corvane_no_such_card", 0) == 0) {
    snd_ctl_close(control);
  }
}

class AlsaMixerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Never the user's own sound server: this test sets its volume.
    ASSERT_TRUE(qEnvironmentVariable("PULSE_SERVER").contains(QStringLiteral("corvane-pulse")))
        << "run this under scripts/with-pulse.sh";
    ASSERT_FALSE(sinkPercents().isEmpty()) << "the sound server does not answer";
    mixers_.setDiagnostics([this](const QString& text) { complaints_ << text; });
  }

  QStringList complaints_;
  AlsaAudioMixers mixers_;
};

TEST_F(AlsaMixerTest, TheServerShowsTheVolumeSetAndItIsReadBack) {
  LibWMPCustom volume(mixers_);
  for (const int percent : {37, 0, 100, 50}) {
    SCOPED_TRACE(percent);
    volume.SetMasterVolume(percent);
    EXPECT_EQ(sinkPercents(), QList<int>({percent, percent}));
    EXPECT_EQ(volume.GetMasterVolume(), percent);
  }
  volume.SetMasterVolume(101);
  volume.SetMasterVolume(-1);
  EXPECT_EQ(sinkPercents(), QList<int>({50, 50}));
  EXPECT_TRUE(complaints_.isEmpty()) << complaints_.join(QLatin1Char('\n')).toStdString();
}

TEST_F(AlsaMixerTest, AChangeMadeThroughTheServerIsSeenByTheNextRead) {
  LibWMPCustom volume(mixers_);
  volume.SetMasterVolume(37);
  ASSERT_EQ(volume.GetMasterVolume(), 37);

  for (const int percent : {80, 12}) {
    SCOPED_TRACE(percent);
    ASSERT_TRUE(pactl({QStringLiteral("set-sink-volume"), QStringLiteral("@DEFAULT_SINK@"),
                       QStringLiteral("%1%").arg(percent)}));
    // The server tells its clients of the change a moment later; the simple mixer keeps the old
    // value until it handles that event, so without it this would never change.
    QElapsedTimer waited;
    waited.start();
    int read = volume.GetMasterVolume();
    while (read != percent && waited.elapsed() < kChangeWaitMs) {
      QThread::msleep(20);
      read = volume.GetMasterVolume();
    }
    EXPECT_EQ(read, percent);
  }
}

TEST_F(AlsaMixerTest, ComplaintsGoToTheSinkOrNowhereButNeverToStandardError) {
  LibWMPCustom volume(mixers_);
  volume.SetMasterVolume(50);
  StandardErrorCapture standardError;
  provokeComplaint();
  ASSERT_FALSE(complaints_.isEmpty());
  EXPECT_TRUE(complaints_.last().contains(QStringLiteral("corvane_no_such_card")))
      << complaints_.last().toStdString();

  // Another part of the program gives ALSA its default handler back; the open mixer's next read
  // takes the complaints again.
  const qsizetype first = complaints_.size();
  snd_lib_error_set_handler(nullptr);
  EXPECT_EQ(volume.GetMasterVolume(), 50);
  provokeComplaint();
  EXPECT_GT(complaints_.size(), first);

  // A complaint on another thread (an audio output's) reaches the sink on the sink's own thread.
  const qsizetype second = complaints_.size();
  std::thread elsewhere(provokeComplaint);
  elsewhere.join();
  EXPECT_EQ(complaints_.size(), second);
  QCoreApplication::processEvents();
  EXPECT_GT(complaints_.size(), second);

  const qsizetype third = complaints_.size();
  mixers_.setDiagnostics({});
  provokeComplaint();
  EXPECT_EQ(complaints_.size(), third);
  EXPECT_EQ(standardError.finish(), QString());
}

}  // namespace
