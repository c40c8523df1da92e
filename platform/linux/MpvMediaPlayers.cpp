#include "platform/linux/MpvMediaPlayers.h"

#include <QStandardPaths>
#include <QtGlobal>
#include <utility>

#include "platform/linux/MpvMediaPlayer.h"

MpvMediaPlayers::MpvMediaPlayers(MpvPlayerOptions options) : options_(std::move(options)) {}

QString MpvMediaPlayers::defaultLibraryFolder() {
  const QString fromEnvironment = qEnvironmentVariable("CORVANE_MEDIA_LIBRARY");
  if (!fromEnvironment.isEmpty()) {
    return fromEnvironment;
  }
  return QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
}

std::unique_ptr<MediaPlayer> MpvMediaPlayers::create(QWidget& videoHost) {
  return MpvMediaPlayer::create(videoHost, options_);
}
