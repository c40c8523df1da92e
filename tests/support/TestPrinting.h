#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <ostream>
#include <string>

#include "platform/PresentationProgram.h"
#include "shared/PresentationModel.h"

// Readable failure messages for the Qt and model types the tests compare, and a comparison of
// whole models that names the fields that differ.

inline std::string escapedText(const QString& text) {
  std::string out = "\"";
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if (u == u'\r') {
      out += "\\r";
    } else if (u == u'\n') {
      out += "\\n";
    } else if (u == u'\t') {
      out += "\\t";
    } else if (u == u'"' || u == u'\\') {
      out += '\\';
      out += static_cast<char>(u);
    } else if (u >= 32 && u < 127) {
      out += static_cast<char>(u);
    } else {
      char code[8];
      std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned>(u));
      out += code;
    }
  }
  out += '"';
  return out;
}

inline void PrintTo(const QString& text, std::ostream* os) { *os << escapedText(text); }

inline void PrintTo(const QByteArray& bytes, std::ostream* os) {
  *os << '"';
  for (const char b : bytes) {
    const auto u = static_cast<unsigned char>(b);
    if (u == '\r') {
      *os << "\\r";
    } else if (u == '\n') {
      *os << "\\n";
    } else if (u >= 32 && u < 127) {
      *os << b;
    } else {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02X", static_cast<unsigned>(u));
      *os << code;
    }
  }
  *os << "\" (" << bytes.size() << " bytes)";
}

inline void PrintTo(const AutomationRef& ref, std::ostream* os) { *os << "ref#" << ref.id; }

inline void PrintTo(const SlideRecord& s, std::ostream* os) {
  *os << '{' << escapedText(s.Title) << ", " << escapedText(s.Note) << ", Ascending=" << s.Ascending
      << ", " << s.DurationMinutes << "m" << s.DurationSeconds << "s, Warning=" << s.Warning
      << ", AutoNextSlide=" << s.AutoNextSlide << '}';
}

// Every field of the two models equal; the message lists the fields that are not.
inline testing::AssertionResult SameModel(const PresentationModel& actual,
                                          const PresentationModel& expected) {
  std::string differences;
  const auto field = [&](const char* name, auto a, auto e) {
    if (!(a == e)) {
      differences += std::string("\n  ") + name + ": " + testing::PrintToString(a) + ", expected " +
                     testing::PrintToString(e);
    }
  };
  field("NotesLoaded", actual.NotesLoaded, expected.NotesLoaded);
  field("PresentationPath", actual.PresentationPath, expected.PresentationPath);
  field("PresentationFileName", actual.PresentationFileName, expected.PresentationFileName);
  field("PresentationTitle", actual.PresentationTitle, expected.PresentationTitle);
  field("SlideCount", actual.SlideCount, expected.SlideCount);
  field("CurrentSlide", actual.CurrentSlide, expected.CurrentSlide);
  field("PowerPointApp", actual.PowerPointApp, expected.PowerPointApp);
  field("PowerPointPresentation", actual.PowerPointPresentation, expected.PowerPointPresentation);
  field("TotalTime", actual.TotalTime, expected.TotalTime);
  field("ShowRunning", actual.ShowRunning, expected.ShowRunning);
  if (actual.Slides.size() != expected.Slides.size()) {
    differences += "\n  Slides.size(): " + std::to_string(actual.Slides.size()) + ", expected " +
                   std::to_string(expected.Slides.size());
  } else {
    for (std::size_t i = 0; i < actual.Slides.size(); ++i) {
      if (!(actual.Slides[i] == expected.Slides[i])) {
        differences += "\n  Slides[" + std::to_string(i) +
                       "]: " + testing::PrintToString(actual.Slides[i]) + ", expected " +
                       testing::PrintToString(expected.Slides[i]);
      }
    }
  }
  if (differences.empty()) {
    return testing::AssertionSuccess();
  }
  return testing::AssertionFailure() << "the models differ:" << differences;
}
