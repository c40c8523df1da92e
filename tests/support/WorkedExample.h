#pragma once

#include <QByteArray>
#include <QString>

#include "shared/PresentationModel.h"

// The notes file of a one-slide talk exactly as the editor writes it (every line ends in CRLF),
// and the model it holds. Reader and writer are both checked against these bytes.

inline constexpr char kWorkedExample[] =
    "<PRESENTATION_NOTES>\r\n"
    "<TITLE>Intro</TITLE>\r\n"
    "<FILE_NAME>talk.ppt</FILE_NAME>\r\n"
    "<PATH_FILENAME>C:\\Talks\\talk.ppt</PATH_FILENAME>\r\n"
    "<SLIDE_COUNT>1</SLIDE_COUNT>\r\n"
    "<TOTAL_TIME>-1</TOTAL_TIME>\r\n"
    "<SLIDE_LIST>\r\n"
    "<SLIDE><SLIDE_NUMBER>1</SLIDE_NUMBER>\r\n"
    "<TITLE>Intro</TITLE>\r\n"
    "<NOTE>Welcome</NOTE>\r\n"
    "<ASCENDING>TRUE</ASCENDING>\r\n"
    "<DURATION_MINUTES>2</DURATION_MINUTES>\r\n"
    "<DURATION_SECONDS>30</DURATION_SECONDS>\r\n"
    "<WARNING>FALSE</WARNING>\r\n"
    "<AUTO_NEXT_SLIDE>FALSE</AUTO_NEXT_SLIDE>\r\n"
    "</SLIDE>\r\n"
    "\r\n"
    "</SLIDE_LIST>\r\n"
    "\r\n"
    "</PRESENTATION_NOTES>\r\n"
    "\r\n";

inline constexpr qsizetype kWorkedExampleBytes = 515;
static_assert(sizeof(kWorkedExample) - 1 == kWorkedExampleBytes);

inline QByteArray workedExampleBytes() { return QByteArray(kWorkedExample, kWorkedExampleBytes); }

// The same file as text (it is plain ASCII).
inline QString workedExampleText() { return QString::fromLatin1(workedExampleBytes()); }

inline SlideRecord workedExampleSlide() {
  SlideRecord slide;
  slide.Title = QStringLiteral("Intro");
  slide.Note = QStringLiteral("Welcome");
  slide.Ascending = true;
  slide.DurationMinutes = 2;
  slide.DurationSeconds = 30;
  slide.Warning = false;
  slide.AutoNextSlide = false;
  return slide;
}

// The model the file is written from. TOTAL_TIME is written but not read back.
inline PresentationModel workedExampleModel() {
  PresentationModel model;
  model.PresentationTitle = QStringLiteral("Intro");
  model.PresentationFileName = QStringLiteral("talk.ppt");
  model.PresentationPath = QStringLiteral("C:\\Talks\\talk.ppt");
  model.SlideCount = 1;
  model.TotalTime = -1;
  model.Slides = {SlideRecord{}, workedExampleSlide()};
  return model;
}
