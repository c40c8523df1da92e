#pragma once

#include <QString>

#include "platform/MessageBoxes.h"
#include "shared/PresentationModel.h"

// The editor's side of the notes file: the text built from the model and its safe save.

// The whole notes file text (without the final line end that the save adds).
[[nodiscard]] QString BuildNotesXml(const PresentationModel& model);

// The notes file of the model's presentation beneath the program folder, or "" without a file
// name.
[[nodiscard]] QString NotesFilePath(const PresentationModel& model, const QString& programFolder);

enum class SaveResult { Saved, NoPath, WriteFailed };

// Writes the notes file in Windows-1252, replacing an existing one only once the new text is
// completely on disk. An empty path is reported to the user (and nothing is written); a write
// failure is only returned.
[[nodiscard]] SaveResult SaveNotesFile(const QString& path, const PresentationModel& model,
                                       MessageBoxes& boxes);
