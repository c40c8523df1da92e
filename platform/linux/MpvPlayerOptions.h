#pragma once

#include <QString>

// How the media players are made.
struct MpvPlayerOptions {
  // The folder whose playlist files make the media library; empty: MpvMediaPlayers'
  // defaultLibraryFolder(), looked up at each listing.
  QString libraryFolder;
  // libmpv's audio and video outputs ("null" for none); empty leaves the choice to libmpv.
  QString audioOutput;
  QString videoOutput;
  // With the null audio output, plays as fast as the files decode instead of in real time.
  bool untimed = false;
};
