#pragma once

#include <QString>
#include <QStringView>

#include "shared/LibParser.h"
#include "shared/PresentationModel.h"

// The presentation notes file: its place and name, and the reader that fills the model from it.

// "Notes_" + file name (with extension) + ".xml".
[[nodiscard]] QString NotesFileName(QStringView presentationFileName);

// The notes folder beneath a program folder.
[[nodiscard]] QString NotesFolder(const QString& programFolder);
// The installation's presentations folder, which holds the notes folder.
[[nodiscard]] QString PresentationsFolder(const QString& programFolder);

// True only when the file's length can be read and is above 0.
[[nodiscard]] bool FileExists(const QString& path);

// Reads the file (Windows-1252) and parses it into the model; a missing, empty, unreadable or
// impossibly large file leaves the model unchanged.
void LoadNotesFile(const QString& path, PresentationModel& model, LibParser& parser);

// Fills the model from the notes text. Header elements are searched from the start, slides one
// after the other behind SLIDE_COUNT. A header element that cannot be read, or a SLIDE_COUNT that
// is negative, beyond 32 bits or more than the text can hold, ends the read: the fields assigned
// so far keep their new values, SlideCount and Slides stay as they were.
void ParseNotesXml(QStringView text, PresentationModel& model, LibParser& parser);
