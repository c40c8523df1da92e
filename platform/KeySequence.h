#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

// One key of a key string (see KeySequenceSender.h): a named key or a character to type, with
// or without Alt held down.
struct KeyStroke {
  bool alt = false;
  // The named key's virtual-key number (VirtualKeys.h); 0 for a character.
  quint16 virtualKey = 0;
  // The character to type (a Unicode code point) when `virtualKey` is 0.
  char32_t character = 0;
  friend bool operator==(const KeyStroke&, const KeyStroke&) = default;
};

// Longest key string taken, in UTF-16 code units; a longer one is refused whole.
inline constexpr qsizetype kMaxKeySequenceLength = 4096;

// The keys of a key string, in order; nothing when the text is not in the notation: a "{"
// without its "}", an unknown key name, a "%" with no key after it, a control character other
// than a line break or a tab, a lone surrogate, or a text over kMaxKeySequenceLength. Names are
// matched without regard to case. A line break ("\r", "\n" or "\r\n") types Enter and "\t" Tab.
[[nodiscard]] std::optional<std::vector<KeyStroke>> ParseKeySequence(const QString& keys);
