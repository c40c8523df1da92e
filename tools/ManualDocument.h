#pragma once

#include <QString>
#include <memory>

class QTextDocument;

// The user manual as a printable document: its Markdown source laid out in the programs' colours,
// each chapter (a first-level heading) on a page of its own.
class ManualDocument {
 public:
  // The document of `markdown`: the first heading and its text make the title page, and every
  // further first-level heading starts a chapter on a new page.
  [[nodiscard]] static std::unique_ptr<QTextDocument> fromMarkdown(const QString& markdown);
  // Writes `document` as an A4 PDF with numbered pages. The file is replaced only once it is
  // complete, so a failed build never leaves half a manual behind. False when it cannot be
  // written.
  [[nodiscard]] static bool writePdf(const QTextDocument& document, const QString& path,
                                     const QString& title);
};
