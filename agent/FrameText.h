#pragma once

#include <QString>
#include <QStringView>

// The grammar of the frames on the wire, both ways: "<<" command "|" argument 1 "|" argument 2
// ">>", one byte per character, no escaping.
namespace frametext {

inline constexpr QStringView kFrameOpen = u"<<";
inline constexpr QStringView kFrameClose = u">>";
inline constexpr QStringView kFieldSeparator = u"|";

// "<<" cmd "|" arg1 "|" arg2 ">>", the fields as they stand.
[[nodiscard]] QString BuildFrame(QStringView cmd, QStringView arg1, QStringView arg2);

// The handheld takes the first ">>" after "<<" for the end of the frame, so a value that holds
// ">>", or starts with ">" (which meets the ">" of an element tag in front of it), would cut the
// frame short and leave the rest as junk on the line. Such a ">" becomes a space, as an
// unprintable character does; a lone ">" inside the text ("a -> b") stays.
[[nodiscard]] QString WithoutFrameEnd(QString text);

// A value that fills one field of a frame: besides the frame's end, a "|" would start a field of
// its own, so it becomes a space too.
[[nodiscard]] QString FieldValue(QString text);

}  // namespace frametext
