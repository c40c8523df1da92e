#pragma once

#include <QHash>
#include <QString>
#include <QtGlobal>
#include <optional>

// A desktop entry file's [Desktop Entry] group: its keys with their values, the general escapes
// of a string value (\s \n \t \r \\) resolved, the first of a repeated key counting. Other groups
// (the entry's actions among them) are not the entry. At most `maxBytes` are read; a line the
// bound cuts through is dropped rather than read short. Nothing for a file that is missing or is
// no plain file (a FIFO named like an entry would block the read).
using DesktopEntryGroup = QHash<QString, QString>;

[[nodiscard]] std::optional<DesktopEntryGroup> ReadDesktopEntryGroup(const QString& path,
                                                                     qint64 maxBytes);

// The general escapes of a desktop entry's string value resolved. They come before the quoting
// of an Exec value, so "\\\\" in the file is one escaped backslash inside quotes.
[[nodiscard]] QString WithoutValueEscapes(QStringView value);
