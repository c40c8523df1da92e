#pragma once

#include <QString>
#include <optional>

// A folder argument of the handheld ("DIRLIST", "ACTIVATE") as a path below the root folder:
// "\" is "/" here, and leading separators go (the root setting ends with its own, and a doubled
// separator meant nothing where these names come from). Nothing when the name would lead out of
// the root (a ".." part) or holds a NUL, which would cut it short on the way to the file system.
[[nodiscard]] std::optional<QString> FolderBelowRoot(const QString& folder);
