#include "agent/LibControls.h"

#include <QGuiApplication>
#include <algorithm>
#include <cmath>

#include "platform/VirtualKeys.h"
#include "shared/NumberText.h"

namespace {

constexpr quint16 kVkM = 'M';

qint64 twipsToPixels(double twips) {
  const double value = numbertext::roundHalfEven(twips);
  const double perPixel =
      numbertext::roundHalfEven(static_cast<double>(LibControls::kTwipsPerPixel));
  const double quotient = std::trunc(value / perPixel);
  // Beyond any screen: kept in range rather than overflowing the conversion.
  constexpr double kBound = 9.0e15;
  if (!std::isfinite(quotient)) {
    return 0;
  }
  return static_cast<qint64>(std::clamp(quotient, -kBound, kBound));
}

}  // namespace

LibControls::LibControls(InputSynthesis& input, KeySequenceSender& keys, LibNewSendKey& sendKey,
                         WindowSystem& windows, const TickClock& clock)
    : input_(input), keys_(keys), sendKey_(sendKey), windows_(windows), clock_(clock) {}

void LibControls::LeftButtonDown() {
  (void)input_.sendMouseButton(InputSynthesis::MouseButton::Left, true);
}

void LibControls::LeftButtonUp() {
  (void)input_.sendMouseButton(InputSynthesis::MouseButton::Left, false);
  LastLeftUpTick = clock_.tickCount();
}

void LibControls::LeftClick() {
  LeftButtonDown();
  LeftButtonUp();
}

void LibControls::RightButtonDown() {
  (void)input_.sendMouseButton(InputSynthesis::MouseButton::Right, true);
}

void LibControls::RightButtonUp() {
  (void)input_.sendMouseButton(InputSynthesis::MouseButton::Right, false);
}

void LibControls::RightClick() {
  RightButtonDown();
  RightButtonUp();
}

void LibControls::MoveCursorTo(qint32 x, qint32 y) { (void)input_.moveCursorTo(ScreenPoint{x, y}); }

qint32 LibControls::GetCursorX() {
  const auto position = input_.cursorPosition();
  return position ? position->x : 0;
}

qint32 LibControls::GetCursorY() {
  const auto position = input_.cursorPosition();
  return position ? position->y : 0;
}

void LibControls::ShowCursorOnce() { (void)input_.showCursor(true); }

void LibControls::ForceCursorVisible(bool visible) {
  for (int step = 0; step < kMaxCursorCountSteps; ++step) {
    const int count = input_.showCursor(visible);
    if (visible ? count >= 1 : count < 0) {
      return;
    }
  }
}

void LibControls::SetDefaultPointer() {
  while (QGuiApplication::overrideCursor() != nullptr) {
    QGuiApplication::restoreOverrideCursor();
  }
}

qint64 LibControls::TwipsToPixelsX(double twips) { return twipsToPixels(twips); }

qint64 LibControls::TwipsToPixelsY(double twips) { return twipsToPixels(twips); }

double LibControls::ScreenWidthPixels() {
  const auto size = input_.screenSize();
  return size ? static_cast<double>(TwipsToPixelsX(static_cast<double>(size->x) * kTwipsPerPixel))
              : 0.0;
}

double LibControls::ScreenHeightPixels() {
  const auto size = input_.screenSize();
  return size ? static_cast<double>(TwipsToPixelsY(static_cast<double>(size->y) * kTwipsPerPixel))
              : 0.0;
}

void LibControls::PressWindowsKey() {
  (void)input_.sendKey(VirtualKey::kLeftLogo, true);
  (void)input_.sendKey(VirtualKey::kLeftLogo, false);
}

void LibControls::ShowDesktop() {
  // The usual desktops bind no key chord to "every window out of the way", but their window
  // managers take the request; the chord is left for a manager that does not.
  if (windows_.showDesktop()) {
    return;
  }
  (void)input_.sendKey(VirtualKey::kLeftLogo, true);
  (void)input_.sendKey(kVkM, true);
  (void)input_.sendKey(kVkM, false);
  (void)input_.sendKey(VirtualKey::kLeftLogo, false);
}

void LibControls::SendVirtualKey(quint16 virtualKey, bool keyDown) {
  sendKey_.SendVirtualKey(virtualKey, keyDown);
}

bool LibControls::SendKeys(const QString& keys, bool wait) { return keys_.sendKeys(keys, wait); }
