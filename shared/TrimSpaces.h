#pragma once

#include <QString>
#include <QStringView>

// The text without leading and trailing spaces. Only the space counts: a tab or another control
// character at either end stays part of the text.
[[nodiscard]] QString TrimSpaces(QStringView text);
