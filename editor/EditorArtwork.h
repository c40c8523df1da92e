#pragma once

#include <QIcon>
#include <QPixmap>
#include <QRect>
#include <QSize>

namespace quenlow {

// The editor's pictures, drawn in code: the handheld behind the notes box and the program icon.
class EditorArtwork {
 public:
  static constexpr QSize kHandheldSize{298, 343};
  // Where the notes box lies on the handheld: its screen's text area, in the picture's pixels.
  static constexpr QRect kNotesArea{68, 135, 163, 55};

  // A dark handheld whose screen shows a slide's heading and, below it, the notes area in the
  // notes box's own dark blue.
  [[nodiscard]] static QPixmap handheld();
  // The program's icon at 16, 32 and 48 pixels.
  [[nodiscard]] static QIcon programIcon();

  static constexpr QSize kAboutPictureSize{164, 314};
  // The About box's tall picture on its left side: the handheld standing on a blue field that
  // fades into the box's white. Opaque, as the box shows it without a border.
  [[nodiscard]] static QPixmap aboutPicture();
};

}  // namespace quenlow
