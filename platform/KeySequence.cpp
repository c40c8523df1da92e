#include "platform/KeySequence.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/VirtualKeys.h"

namespace {

struct NamedKey {
  const char* name;
  quint16 virtualKey;
};

constexpr std::array<NamedKey, 20> kNamedKeys{{
    {"ESC", VirtualKey::kEscape},
    {"ESCAPE", VirtualKey::kEscape},
    {"ENTER", VirtualKey::kEnter},
    {"TAB", VirtualKey::kTab},
    {"BACKSPACE", VirtualKey::kBackspace},
    {"BS", VirtualKey::kBackspace},
    {"BKSP", VirtualKey::kBackspace},
    {"DELETE", VirtualKey::kDelete},
    {"DEL", VirtualKey::kDelete},
    {"INSERT", VirtualKey::kInsert},
    {"INS", VirtualKey::kInsert},
    {"HOME", VirtualKey::kHome},
    {"END", VirtualKey::kEnd},
    {"PGUP", VirtualKey::kPageUp},
    {"PGDN", VirtualKey::kPageDown},
    {"LEFT", VirtualKey::kLeft},
    {"RIGHT", VirtualKey::kRight},
    {"UP", VirtualKey::kUp},
    {"DOWN", VirtualKey::kDown},
    {"SPACE", VirtualKey::kSpace},
}};

bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

std::optional<quint16> keyNamed(const QString& name) {
  // Only ASCII letters match regardless of case: toUpper alone would let "\u0131NSERT" or
  // "\u017FPACE" pass for INSERT or SPACE.
  if (std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() > 0x7F; })) {
    return std::nullopt;
  }
  const QString upper = name.toUpper();
  for (const NamedKey& key : kNamedKeys) {
    if (upper == QLatin1String(key.name)) {
      return key.virtualKey;
    }
  }
  // F1 .. F12, the number in digits only: toInt alone also takes a sign and surrounding blanks
  // ("F+1", "F1 ").
  if (upper.size() >= 2 && upper.size() <= 3 && upper.front() == u'F' &&
      std::all_of(upper.begin() + 1, upper.end(), isAsciiDigit)) {
    bool ok = false;
    const int n = upper.mid(1).toInt(&ok);
    if (ok && n >= 1 && n <= VirtualKey::kF12 - VirtualKey::kF1 + 1 && upper.at(1) != u'0') {
      return static_cast<quint16>(VirtualKey::kF1 + n - 1);
    }
  }
  return std::nullopt;
}

// C0, DEL and C1: the control characters of Unicode.
bool isControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// The code point at `i`, moving `i` past it; nothing for a lone surrogate.
std::optional<char32_t> codePointAt(const QString& text, qsizetype& i) {
  const QChar first = text.at(i++);
  if (first.isHighSurrogate()) {
    if (i < text.size() && text.at(i).isLowSurrogate()) {
      return QChar::surrogateToUcs4(first, text.at(i++));
    }
    return std::nullopt;
  }
  if (first.isLowSurrogate()) {
    return std::nullopt;
  }
  return first.unicode();
}

}  // namespace

std::optional<std::vector<KeyStroke>> ParseKeySequence(const QString& keys) {
  if (keys.size() > kMaxKeySequenceLength) {
    return std::nullopt;
  }
  std::vector<KeyStroke> strokes;
  bool alt = false;
  const auto add = [&](quint16 virtualKey, char32_t character) {
    strokes.push_back(KeyStroke{std::exchange(alt, false), virtualKey, character});
  };

  qsizetype i = 0;
  while (i < keys.size()) {
    const QChar c = keys.at(i);
    if (c == u'%') {
      alt = true;
      ++i;
      continue;
    }
    if (c == u'{') {
      // "{}}" types "}"; otherwise the name runs to the first "}".
      const qsizetype close =
          keys.indexOf(u'}', i + 2 < keys.size() && keys.at(i + 1) == u'}' ? i + 2 : i + 1);
      if (close < 0) {
        return std::nullopt;
      }
      const QString inside = keys.mid(i + 1, close - i - 1);
      qsizetype at = 0;
      if (!inside.isEmpty()) {
        const auto single = codePointAt(inside, at);
        if (single && at == inside.size()) {
          if (isControl(*single)) {
            return std::nullopt;
          }
          add(0, *single);
          i = close + 1;
          continue;
        }
      }
      const auto named = keyNamed(inside);
      if (!named) {
        return std::nullopt;
      }
      add(*named, 0);
      i = close + 1;
      continue;
    }
    if (c == u'\r' || c == u'\n') {
      i += (c == u'\r' && i + 1 < keys.size() && keys.at(i + 1) == u'\n') ? 2 : 1;
      add(VirtualKey::kEnter, 0);
      continue;
    }
    if (c == u'\t') {
      ++i;
      add(VirtualKey::kTab, 0);
      continue;
    }
    const auto character = codePointAt(keys, i);
    if (!character || isControl(*character)) {
      return std::nullopt;
    }
    add(0, *character);
  }
  if (alt) {
    return std::nullopt;
  }
  return strokes;
}
