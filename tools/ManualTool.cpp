// Builds the user manual: reads its Markdown source and writes the PDF that the programs open.
// Usage: corvane-manual <source.md> <output.pdf>

#include <QFile>
#include <QGuiApplication>
#include <QString>
#include <QTextDocument>
#include <cstdio>

#include "tools/ManualDocument.h"

int main(int argc, char* argv[]) {
  // Fonts need a GUI application; the build has no display to give it.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QGuiApplication application(argc, argv);
  const QStringList arguments = QGuiApplication::arguments();
  if (arguments.size() != 3) {
    std::fprintf(stderr, "usage: corvane-manual <source.md> <output.pdf>\n");
    return 2;
  }
  QFile source(arguments.at(1));
  if (!source.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "corvane-manual: cannot read %s\n", qPrintable(arguments.at(1)));
    return 1;
  }
  const auto document = ManualDocument::fromMarkdown(QString::fromUtf8(source.readAll()));
  if (!ManualDocument::writePdf(*document, arguments.at(2),
                                QStringLiteral("Corvane and Quenlow: User Manual"))) {
    std::fprintf(stderr, "corvane-manual: cannot write %s\n", qPrintable(arguments.at(2)));
    return 1;
  }
  return 0;
}
