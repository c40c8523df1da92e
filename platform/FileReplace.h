#pragma once

#include <QByteArray>
#include <QString>

// Replaces the whole content of the file at `path` with `bytes`; true when all of it is on disk.
// The new text goes to a temporary file beside the old one that takes its place only once it is
// complete, so a full disk or a crash never costs the old content. A folder that takes no new
// file (no write permission for this user, an immutable folder, a read-only mount with the file
// mounted writable on top of it) may still hold a file the user may write: that one is written in
// place, as files there always were, and a write that fails half way leaves it cut short and
// says so. A file that is not there is never created in such a folder.
[[nodiscard]] bool ReplaceFileContents(const QString& path, const QByteArray& bytes);
