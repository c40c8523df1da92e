#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <optional>

// Delimited-text extraction with the one scan position that the frame extractor, the frame
// parser and the notes reader share.
class LibParser {
 public:
  // 1-based position just behind the closing delimiter of the last successful extraction.
  qint32 ScanPos = 0;

  // The text between the first `open` at or after `start` and the first `close` after it,
  // both found ignoring case; the empty text when either is missing. Start 0 means 1 for a
  // non-empty text. A start below 1 after that is an invalid argument: the result is empty
  // (nullopt) and ScanPos stays. ScanPos moves only when both delimiters were found.
  [[nodiscard]] std::optional<QString> GetTextBetween(qint32 start, QStringView text,
                                                      QStringView open, QStringView close);
};

// Case-insensitive search (both sides compared upper-cased, character by character) from the
// 0-based index `from`; -1 when not found. No copy of either text is made.
[[nodiscard]] qsizetype indexOfIgnoringCase(QStringView text, QStringView needle, qsizetype from);
