#pragma once

#include "platform/MediaPlayer.h"
#include "platform/linux/MpvPlayerOptions.h"

// Makes media players on libmpv, embedded in the program.
class MpvMediaPlayers final : public MediaPlayers {
 public:
  explicit MpvMediaPlayers(MpvPlayerOptions options);

  // CORVANE_MEDIA_LIBRARY when set and not empty, else the user's music folder.
  [[nodiscard]] static QString defaultLibraryFolder();

  // Nothing when libmpv cannot be created or refuses its settings.
  [[nodiscard]] std::unique_ptr<MediaPlayer> create(QWidget& videoHost) override;

 private:
  MpvPlayerOptions options_;
};
