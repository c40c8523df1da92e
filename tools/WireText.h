#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// Text typed by a person or a test and the bytes on the wire, both ways. The wire carries
// Windows-1252, one byte per character.
namespace wiretext {

struct Encoded {
  QByteArray bytes;
  // Characters that Windows-1252 has no byte for; each went out as "?".
  qsizetype replaced = 0;
};

// The bytes for `text`. With `escapes`, \xNN, \r, \n, \t and \\ stand for single bytes, so that a
// line can carry bytes no keyboard types (NUL, the sync signature). Nothing, with a message in
// `error`, when an escape is malformed.
[[nodiscard]] std::optional<Encoded> encode(const QString& text, bool escapes, QString& error);

// The bytes of one thing to send: a whole frame, or with `raw` any text. Nothing, with a message in
// `error`, when an escape is malformed or the text is no frame.
[[nodiscard]] std::optional<Encoded> encodeToSend(const QString& text, bool escapes, bool raw,
                                                  QString& error);

// The received bytes as characters, for matching against a pattern.
[[nodiscard]] QString decode(QByteArrayView bytes);

// The received bytes as one printable line: control bytes as \xNN and "\" as "\\", so that the
// line reads back as the same bytes under --escapes.
[[nodiscard]] QString printable(QByteArrayView bytes);

// True for "<<" … ">>": what the agent reads as one frame.
[[nodiscard]] bool isFrame(QByteArrayView bytes);

}  // namespace wiretext
