#pragma once

#include <QString>
#include <QStringView>

// The text without leading and trailing spaces. Only the space counts: a tab or another control
// character at either end stays part of the text.
[[nodiscard]] QString TrimSpaces(QStringView text);

// The text without leading and trailing blanks: spaces, tabs, CR, vertical tabs and form feeds.
// Line feeds are not blanks: they split lines.
[[nodiscard]] QStringView TrimBlanks(QStringView text);
