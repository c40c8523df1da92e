#pragma once

#include <QByteArray>
#include <QString>

// Audio files and playlist files for the media tests, made at test time.
namespace medialibrary {

// A mono tone of `seconds` at `path`, in the format its extension names, made by sox; with a
// title tag when `title` is given (formats with comments: .ogg, .flac). False, with the reason
// printed, when sox is missing or failed.
[[nodiscard]] bool makeTone(const QString& path, int seconds, const QString& title = {});

// Writes `bytes` to `path`, replacing what was there.
[[nodiscard]] bool writeFile(const QString& path, const QByteArray& bytes);

}  // namespace medialibrary
