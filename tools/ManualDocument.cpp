#include "tools/ManualDocument.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QTextTableFormat>

namespace {

// The agent window's navy for headings, a pale blue behind command examples.
const QColor kHeading(38, 40, 113);
const QColor kCodeBackground(232, 236, 250);
const QColor kTableLine(120, 126, 210);
constexpr int kBodyPoints = 10;
constexpr int kResolution = 300;

}  // namespace

std::unique_ptr<QTextDocument> ManualDocument::fromMarkdown(const QString& markdown) {
  auto document = std::make_unique<QTextDocument>();
  QFont body(QStringLiteral("DejaVu Sans"));
  body.setStyleHint(QFont::SansSerif);
  body.setPointSize(kBodyPoints);
  document->setDefaultFont(body);
  document->setMarkdown(markdown);

  bool firstChapter = true;
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    QTextCursor cursor(block);
    QTextBlockFormat format = block.blockFormat();
    if (format.headingLevel() > 0) {
      if (format.headingLevel() == 1) {
        if (!firstChapter) {
          format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        }
        firstChapter = false;
      }
      format.setTopMargin(format.headingLevel() == 1 ? 6 : 12);
      format.setBottomMargin(8);
      cursor.setBlockFormat(format);
      QTextCharFormat heading;
      heading.setForeground(QBrush(kHeading));
      cursor.select(QTextCursor::BlockUnderCursor);
      cursor.mergeCharFormat(heading);
    } else if (format.hasProperty(QTextFormat::BlockCodeFence)) {
      format.setBackground(QBrush(kCodeBackground));
      format.setLeftMargin(12);
      cursor.setBlockFormat(format);
    }
  }
  // Tables with single rules and room around the text, as a reader expects of a manual.
  for (QTextFrame* frame : document->rootFrame()->childFrames()) {
    if (auto* table = qobject_cast<QTextTable*>(frame)) {
      QTextTableFormat format = table->format();
      format.setBorderCollapse(true);
      format.setBorder(0.5);
      format.setBorderBrush(QBrush(kTableLine));
      format.setCellPadding(3);
      format.setCellSpacing(0);
      table->setFormat(format);
    }
  }
  return document;
}

bool ManualDocument::writePdf(const QTextDocument& document, const QString& path,
                              const QString& title) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    return false;
  }
  {
    QPdfWriter writer(&file);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Corvane manual tool"));
    writer.setResolution(kResolution);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    // Printing lays out a copy of the document on the writer's pages, with 2 cm margins and the
    // page numbers at the foot.
    document.print(&writer);
  }
  return file.commit();
}
