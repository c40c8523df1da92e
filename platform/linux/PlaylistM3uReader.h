#pragma once

#include <QString>
#include <QStringView>

#include "platform/linux/PlaylistEntries.h"

namespace playlistfiles {

// The title and entries of M3U text: a line is an entry unless it is blank or starts with "#";
// "#PLAYLIST:" names the playlist (the first that names one counts), every other "#" line
// ("#EXTM3U", "#EXTINF", ...) is a comment. Lines end with CRLF, LF or CR; blanks around a line
// are not part of it.
[[nodiscard]] PlaylistContent readM3uPlaylist(QStringView text, const QString& folder);

}  // namespace playlistfiles
