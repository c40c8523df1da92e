#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <set>

#include "platform/InputSynthesis.h"
#include "platform/KeySequenceSender.h"

// A keyboard, mouse and screen in memory. Every event and key string sent is recorded in
// `calls`, in order: "key(91,down)", "button(left,up)", "move(10,20)", "showCursor(true)->1",
// "keys(%{LEFT},wait)". Reads are not recorded.
class FakeInputSynthesis final : public InputSynthesis, public KeySequenceSender {
 public:
  QStringList calls;
  // Calls, spelt as in `calls`, that the desktop fails (recorded all the same).
  std::set<QString> failing;
  // The keys pressed and not yet released; a failed press holds nothing.
  std::set<quint16> heldKeys;

  // The cursor's display count, as the desktop keeps it.
  int cursorCount = 0;
  // The count stays where it is whatever is asked: a desktop that ignores the requests.
  bool cursorCountFrozen = false;

  // Nothing: the read fails.
  std::optional<ScreenPoint> cursor;
  std::optional<ScreenPoint> screen;

  bool refuseKeyStrings = false;

  bool sendKey(quint16 virtualKey, bool keyDown) override {
    const bool sent = record(QStringLiteral("key(%1,%2)").arg(virtualKey).arg(upDown(keyDown)));
    if (!keyDown) {
      heldKeys.erase(virtualKey);
    } else if (sent) {
      heldKeys.insert(virtualKey);
    }
    return sent;
  }

  bool sendMouseButton(MouseButton button, bool buttonDown) override {
    const QString name =
        button == MouseButton::Left ? QStringLiteral("left") : QStringLiteral("right");
    return record(QStringLiteral("button(%1,%2)").arg(name, upDown(buttonDown)));
  }

  bool moveCursorTo(ScreenPoint point) override {
    return record(QStringLiteral("move(%1,%2)").arg(point.x).arg(point.y));
  }

  std::optional<ScreenPoint> cursorPosition() override { return cursor; }

  int showCursor(bool show) override {
    if (!cursorCountFrozen) {
      cursorCount += show ? 1 : -1;
    }
    calls << QStringLiteral("showCursor(%1)->%2")
                 .arg(show ? QStringLiteral("true") : QStringLiteral("false"))
                 .arg(cursorCount);
    return cursorCount;
  }

  std::optional<ScreenPoint> screenSize() override { return screen; }

  bool sendKeys(const QString& keys, bool wait) override {
    // Put together without arg(): a key string may hold "%1".
    calls << QStringLiteral("keys(") + keys + u',' +
                 (wait ? QStringLiteral("wait") : QStringLiteral("nowait")) + u')';
    return !refuseKeyStrings;
  }

 private:
  static QString upDown(bool down) { return down ? QStringLiteral("down") : QStringLiteral("up"); }

  bool record(const QString& call) {
    calls << call;
    return failing.count(call) == 0;
  }
};
