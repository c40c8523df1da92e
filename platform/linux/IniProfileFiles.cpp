#include "platform/linux/IniProfileFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QStringView>
#include <algorithm>
#include <cstddef>
#include <optional>
#include <vector>

#include "platform/FileReplace.h"
#include "platform/TrimText.h"
#include "platform/Windows1252.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// A line of the file and its own line end, so that lines we do not change go back as they came.
struct Line {
  QString text;
  QString end;  // "\r\n", "\n", or empty for a last line without one
};

std::vector<Line> splitLines(const QString& text) {
  std::vector<Line> lines;
  qsizetype start = 0;
  while (start < text.size()) {
    const qsizetype newline = text.indexOf(u'\n', start);
    if (newline < 0) {
      lines.push_back({text.sliced(start), QString()});
      break;
    }
    const qsizetype textEnd =
        (newline > start && text[newline - 1] == u'\r') ? newline - 1 : newline;
    lines.push_back(
        {text.sliced(start, textEnd - start), text.sliced(textEnd, newline + 1 - textEnd)});
    start = newline + 1;
  }
  return lines;
}

QString joinLines(const std::vector<Line>& lines) {
  QString text;
  for (const Line& line : lines) {
    text += line.text;
    text += line.end;
  }
  return text;
}

enum class LineKind { Other, Section, Key };

struct ParsedLine {
  LineKind kind = LineKind::Other;
  QStringView name;
  qsizetype equals = -1;  // where the key's "=" is in the line
};

ParsedLine parseLine(const QString& text) {
  const QStringView line = TrimBlanks(text);
  if (line.isEmpty() || line.front() == u';') {
    return {};
  }
  if (line.front() == u'[') {
    const qsizetype close = line.lastIndexOf(u']');
    if (close <= 0) {
      return {};
    }
    return {LineKind::Section, TrimBlanks(line.sliced(1, close - 1)), -1};
  }
  const qsizetype equals = text.indexOf(u'=');
  if (equals < 0) {
    return {};
  }
  return {LineKind::Key, TrimBlanks(QStringView(text).first(equals)), equals};
}

bool sameName(QStringView a, QStringView b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// A name as the file can hold it: a character without a byte in the code page is stored as "?",
// and a name must match what it was stored as, or every write of it would add another line.
QString storedName(const QString& name) {
  return windows1252::decode(windows1252::encode(TrimBlanks(name)));
}

// Where a key is, or where it would go.
struct Location {
  std::optional<std::size_t> section;
  std::optional<std::size_t> key;
  qsizetype equals = -1;
  std::size_t lastLineOfKeys = 0;  // the section line or its last key line
};

Location locate(const std::vector<Line>& lines, QStringView section, QStringView key) {
  Location found;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const ParsedLine line = parseLine(lines[i].text);
    if (!found.section) {
      if (line.kind == LineKind::Section && sameName(line.name, section)) {
        found.section = i;
        found.lastLineOfKeys = i;
      }
      continue;
    }
    if (line.kind == LineKind::Section) {
      break;
    }
    if (line.kind == LineKind::Key) {
      if (sameName(line.name, key)) {
        found.key = i;
        found.equals = line.equals;
        break;
      }
      found.lastLineOfKeys = i;
    }
  }
  return found;
}

QString valueOf(QStringView raw) {
  QStringView value = raw;
  // The callers' buffers end a text at its first NUL.
  const qsizetype nul = value.indexOf(QChar(0));
  if (nul >= 0) {
    value = value.first(nul);
  }
  value = TrimBlanks(value);
  if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
      value.back() == value.front()) {
    value = value.sliced(1, value.size() - 2);
  }
  return value.first(std::min(value.size(), IniProfileFiles::kMaxValueChars)).toString();
}

bool fitsOnOneLine(QStringView text) {
  return !text.contains(u'\r') && !text.contains(u'\n') && !text.contains(QChar(0));
}

bool canStore(const QString& section, const QString& key, const QString& value) {
  const QStringView sectionName = TrimBlanks(section);
  const QStringView keyName = TrimBlanks(key);
  return !sectionName.isEmpty() && fitsOnOneLine(sectionName) && !keyName.isEmpty() &&
         fitsOnOneLine(keyName) && !keyName.contains(u'=') && keyName.front() != u';' &&
         keyName.front() != u'[' && fitsOnOneLine(value);
}

enum class FileState { Missing, Loaded, Unusable };

struct Contents {
  FileState state = FileState::Missing;
  std::vector<Line> lines;
};

Contents load(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) {
    return {FileState::Missing, {}};
  }
  if (!info.isFile() || info.size() > IniProfileFiles::kMaxFileBytes) {
    return {FileState::Unusable, {}};
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return {FileState::Unusable, {}};
  }
  // The file may have grown since its size was taken: read no more than the bound and one byte.
  const QByteArray bytes = file.read(IniProfileFiles::kMaxFileBytes + 1);
  if (file.error() != QFileDevice::NoError || bytes.size() > IniProfileFiles::kMaxFileBytes) {
    return {FileState::Unusable, {}};
  }
  return {FileState::Loaded, splitLines(windows1252::decode(bytes))};
}

void endLine(Line& line) {
  if (line.end.isEmpty()) {
    line.end = kCrLf;
  }
}

}  // namespace

QString IniProfileFiles::readString(const QString& section, const QString& key,
                                    const QString& fallback, const QString& file) const {
  const Contents contents = load(file);
  if (contents.state != FileState::Loaded) {
    return fallback;
  }
  const Location found = locate(contents.lines, storedName(section), storedName(key));
  if (!found.key) {
    return fallback;
  }
  return valueOf(QStringView(contents.lines[*found.key].text).sliced(found.equals + 1));
}

bool IniProfileFiles::writeString(const QString& section, const QString& key, const QString& value,
                                  const QString& file) {
  if (!canStore(section, key, value)) {
    return false;
  }
  Contents contents = load(file);
  if (contents.state == FileState::Unusable) {
    return false;
  }
  std::vector<Line>& lines = contents.lines;
  const QString sectionName = storedName(section);
  const QString keyName = storedName(key);
  const Location found = locate(lines, sectionName, keyName);
  const Line keyLine{keyName + u'=' + value, kCrLf};
  if (found.key) {
    Line& line = lines[*found.key];
    line.text = line.text.first(found.equals + 1) + value;
  } else if (found.section) {
    endLine(lines[found.lastLineOfKeys]);
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(found.lastLineOfKeys + 1), keyLine);
  } else {
    if (!lines.empty()) {
      endLine(lines.back());
    }
    lines.push_back({u'[' + sectionName + u']', kCrLf});
    lines.push_back(keyLine);
  }

  const QByteArray bytes = windows1252::encode(joinLines(lines));
  if (bytes.size() > kMaxFileBytes) {
    return false;
  }
  // The other settings survive a full disk or a crash; a program folder the user may not write
  // can still hold a config.ini the user may, and that one is written in place.
  return ReplaceFileContents(file, bytes);
}
