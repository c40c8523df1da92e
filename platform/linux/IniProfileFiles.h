#pragma once

#include <QString>
#include <QtGlobal>

#include "platform/ProfileFiles.h"

// Private profile files as the programs have always known them, kept byte for byte compatible
// with files written on the old platform: Windows-1252 text, "[section]" lines and "key=value"
// lines, CRLF on every line this class adds.
//
// Reading: names compare without regard to case or to blanks around them; the first matching
// section is the only one consulted and its first matching key wins. The value loses the blanks
// around it and then one pair of matching surrounding quotes (" or '), whose inside is kept as
// written, so that a value can carry blanks at its ends. Lines that are neither a section nor a
// key (comments starting with ";", text without "=") are never matched.
//
// Writing: replaces the value of the first matching key in place, keeping the text up to its "="
// and the line's own line end; otherwise adds the key after the last key of the first matching
// section, or adds the section at the end of the file. Every other line is kept as it was. The
// file is replaced in one step, so a write that fails leaves the old file whole; only where its
// folder takes no new file (read-only for the user, immutable, on a read-only mount) is an
// existing file rewritten in place, and a write that fails there may leave it cut short.
class IniProfileFiles final : public ProfileFiles {
 public:
  // A settings file holds a handful of short lines; anything this large is not one of ours, and
  // reading it whole would cost memory in proportion to whatever a damaged disk holds. Such a
  // file reads as missing and is never written over.
  static constexpr qint64 kMaxFileBytes = 1024 * 1024;
  // The callers' read buffer: a longer value is cut to this many characters.
  static constexpr qsizetype kMaxValueChars = 64000;

  [[nodiscard]] QString readString(const QString& section, const QString& key,
                                   const QString& fallback, const QString& file) const override;
  // False when it cannot be read or written, when it is larger than kMaxFileBytes before or would
  // be after, or when the names and value would not read back as written: a line end or NUL in
  // any of them, an empty name, "=" in the key, or a key starting with ";" or "[" (it would read
  // back as a comment or a section). The file is then untouched, but for a write in place that
  // failed half way.
  [[nodiscard]] bool writeString(const QString& section, const QString& key, const QString& value,
                                 const QString& file) override;
};
