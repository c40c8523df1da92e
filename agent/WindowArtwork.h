#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

// The pictures of the agent's main window, drawn at the size they are shown at, so that they
// stay sharp on any screen: the two picture buttons, the pictures of the Connection and Launcher
// pages, the tool images of the link's buttons, the activity lamp and the program's icon.
class WindowArtwork {
 public:
  // The picture buttons' looks: the pressed one is brighter.
  enum class Look { Normal, Pressed };
  // The image list's items, numbered from 1 as the link refers to them.
  enum class Tool { Exit = 1, About = 2, Scan = 3, Stop = 4, Play = 5 };

  static constexpr QSize kPictureButtonSize{65, 36};
  static constexpr QSize kBluetoothSize{30, 33};
  static constexpr QSize kKeyboardKeySize{49, 41};
  static constexpr int kToolImagePixels = 32;

  [[nodiscard]] static QPixmap globe(Look look);
  [[nodiscard]] static QPixmap questionBubble(Look look);
  [[nodiscard]] static QPixmap bluetooth(QSize size = kBluetoothSize);
  [[nodiscard]] static QPixmap keyboardKey(QSize size = kKeyboardKeySize);
  [[nodiscard]] static QPixmap toolImage(Tool tool);
  // The activity lamp at 16, 32 and 48 pixels: dark while idle, lit on activity.
  [[nodiscard]] static QIcon lamp(bool lit);
  // The program's icon at 16, 32 and 48 pixels.
  [[nodiscard]] static QIcon programIcon();
};
