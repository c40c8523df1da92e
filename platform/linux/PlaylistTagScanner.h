#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <optional>
#include <utility>
#include <vector>

namespace playlistfiles {

// One piece of markup: a start tag with its attributes, an end tag, or a run of text. Views point
// into the scanned text and live as long as it does.
struct PlaylistTag {
  enum class Kind { Start, End, Text };

  Kind kind = Kind::Text;
  // The element's name as written (tags only).
  QStringView name;
  // Raw attribute values, entity references still in them; a name without a value has an empty
  // one.
  std::vector<std::pair<QStringView, QStringView>> attributes;
  // "<x/>".
  bool selfClosing = false;
  // The text as written (Text only); a CDATA section's text is literal, no entity is read in it.
  QStringView text;
  bool literal = false;

  // The first attribute of that name, in any case.
  [[nodiscard]] std::optional<QStringView> attribute(QLatin1StringView attributeName) const;
  // The element's name equals `other` in any case.
  [[nodiscard]] bool is(QLatin1StringView other) const;
};

// Reads the markup of playlist files as their writers produce it rather than as XML demands:
// names in any case, attribute values in either quote or none, a bare "&", missing end tags. The
// scanner keeps no nesting of its own (the readers do, within their depth limit), so no input can
// deepen its stack, and every character is looked at a bounded number of times. A construct that
// the text ends inside (a tag, a comment, a quoted value) is dropped: a cut file gives the pieces
// that were whole before the cut. Comments, processing instructions and declarations are passed
// over.
class PlaylistTagScanner {
 public:
  explicit PlaylistTagScanner(QStringView text) : text_(text) {}

  // The next piece; false at the end of the text.
  [[nodiscard]] bool next(PlaylistTag& tag);

 private:
  [[nodiscard]] bool readTag(qsizetype from, PlaylistTag& tag);

  QStringView text_;
  qsizetype pos_ = 0;
};

// Text with its entity references replaced: the five named ones (in any case) and decimal or
// hexadecimal character references. A reference that is not one of them, or names no character, is
// kept as written, as writers leave a bare "&" in titles and paths.
[[nodiscard]] QString decodeEntities(QStringView text);

}  // namespace playlistfiles
