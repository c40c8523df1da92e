#pragma once

#include <QString>
#include <QStringView>
#include <optional>

#include "platform/linux/PlaylistEntries.h"

namespace playlistfiles {

enum class XmlPlaylistFormat {
  // WPL: <smil><head><title/></head><body><seq><media src/>...</seq></body></smil>.
  Wpl,
  // ASX, WAX, WVX: <asx><title/><entry><ref href/>...</entry>...</asx>.
  Asx,
};

// The title and entries of a markup playlist, or nothing when its first element is not the
// format's root (smil, asx, in any case). Entries nested deeper than kMaxDepth are not looked at.
// WPL: the title of smil/head, the "src" of every "media" element. ASX: the ASX element's own
// TITLE, and for each ENTRY its first REF that names a local file: later REFs are the player's
// fallbacks for an item it cannot open, and a stream it cannot open here is exactly that.
// ENTRYREF (another playlist's entries) is not followed.
[[nodiscard]] std::optional<PlaylistContent> readXmlPlaylist(QStringView text,
                                                             XmlPlaylistFormat format,
                                                             const QString& folder);

}  // namespace playlistfiles
