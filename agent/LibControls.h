#pragma once

#include <QString>
#include <QtGlobal>

#include "agent/CommandActions.h"
#include "agent/LibNewSendKey.h"
#include "platform/InputSynthesis.h"
#include "platform/KeySequenceSender.h"
#include "platform/TickClock.h"
#include "platform/WindowSystem.h"

// The agent's input primitives: mouse buttons where the pointer stands, the cursor's position and
// visibility, the logo key and the show-desktop chord, and the twips conversions. It is also the
// dispatcher's way to the keyboard: virtual keys through LibNewSendKey and key strings through
// the key-sequence sender. Every primitive returns at once; what the desktop makes of the input
// is not looked at. Showing the desktop is the window manager's request where it has one.
class LibControls final : public InputActions {
 public:
  // The toolkit's screen: 15 twips to the pixel (96 dots per inch).
  static constexpr qint32 kTwipsPerPixel = 15;
  // ForceCursorVisible stops after this many calls even if the display count never gets there.
  static constexpr int kMaxCursorCountSteps = 1000;

  LibControls(InputSynthesis& input, KeySequenceSender& keys, LibNewSendKey& sendKey,
              WindowSystem& windows, const TickClock& clock);

  // The tick count at the last injected left-button release; the main window ignores a close
  // request that comes within a second of it.
  quint32 LastLeftUpTick = 0;

  void LeftButtonDown() override;
  void LeftButtonUp() override;
  void LeftClick() override;
  void RightButtonDown();
  void RightButtonUp();
  void RightClick() override;

  void MoveCursorTo(qint32 x, qint32 y) override;
  [[nodiscard]] qint32 GetCursorX() override;
  [[nodiscard]] qint32 GetCursorY() override;
  void ShowCursorOnce() override;
  void ForceCursorVisible(bool visible) override;
  void SetDefaultPointer() override;

  // Twips to pixels: both operands rounded (a half to even), the quotient truncated toward 0.
  [[nodiscard]] static qint64 TwipsToPixelsX(double twips);
  [[nodiscard]] static qint64 TwipsToPixelsY(double twips);
  [[nodiscard]] double ScreenWidthPixels() override;
  [[nodiscard]] double ScreenHeightPixels() override;

  void PressWindowsKey() override;
  void ShowDesktop() override;
  void SendVirtualKey(quint16 virtualKey, bool keyDown) override;
  bool SendKeys(const QString& keys, bool wait) override;

 private:
  InputSynthesis& input_;
  KeySequenceSender& keys_;
  LibNewSendKey& sendKey_;
  WindowSystem& windows_;
  const TickClock& clock_;
};
