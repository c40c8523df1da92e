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

// A value as the notes file holds it: sanitised, and every tag of the file's elements in it
// ("</NOTE>", "<TITLE>", in any case) broken by a blank after its "<" ("< /NOTE>"), so that no
// note or title can end its element early or pose as another one when the agent reads the file.
[[nodiscard]] QString BreakNotesFileTags(QStringView value);

enum class SaveResult { Saved, NoPath, WriteFailed };

// Writes the notes file in Windows-1252, replacing an existing one only once the new text is
// completely on disk; where the folder takes no new file (read-only for the user, immutable, on a
// read-only mount) an existing notes file is rewritten in place instead, and a write that fails
// there may leave it cut short. An empty path is reported to the user (and nothing is written); a
// write failure is only returned.
[[nodiscard]] SaveResult SaveNotesFile(const QString& path, const PresentationModel& model,
                                       MessageBoxes& boxes);

// Why a save to `path` failed, in words for the user, as far as the file and its folder tell.
[[nodiscard]] QString SaveFailureReason(const QString& path);
