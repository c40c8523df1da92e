#pragma once

#include <QString>

// The two arguments of the last accepted "ACTIVATE": the document "PRESENT" / "START" opens
// again. The dispatcher keeps it; the slide-show commands read it.
struct ActiveDocument {
  QString ActiveFolder;
  QString ActiveFile;
};
