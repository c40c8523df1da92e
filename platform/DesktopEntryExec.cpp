#include "platform/DesktopEntryExec.h"

namespace desktopentryexec {

namespace {

// Characters that an argument may hold only inside double quotes. A desktop entry is written
// with a shell in mind; read literally, these would do something other than what its author
// meant, so an entry that leaves one bare is refused rather than guessed at.
bool isReserved(QChar c) {
  switch (c.unicode()) {
    case u'\t':
    case u'\n':
    case u'"':
    case u'\'':
    case u'\\':
    case u'>':
    case u'<':
    case u'~':
    case u'|':
    case u'&':
    case u';':
    case u'$':
    case u'*':
    case u'?':
    case u'#':
    case u'(':
    case u')':
    case u'`':
      return true;
    default:
      return false;
  }
}

// The characters that must carry a backslash inside quotes, and the only ones that may.
bool isQuotedEscape(QChar c) { return c == u'"' || c == u'`' || c == u'$' || c == u'\\'; }

// Field codes for which the agent has nothing to give: the icon, the name and the entry's own
// location, and the deprecated ones, which expand to no arguments.
bool isDroppedFieldCode(QChar c) {
  switch (c.unicode()) {
    case u'i':
    case u'c':
    case u'k':
    case u'd':
    case u'D':
    case u'n':
    case u'N':
    case u'v':
    case u'm':
      return true;
    default:
      return false;
  }
}

// One argument between double quotes, `i` on the opening quote; on return `i` is past the closing
// one. Field codes are not expanded inside quotes; "%%" still stands for one "%".
std::optional<QString> quotedArgument(const QString& exec, qsizetype& i) {
  QString word;
  for (++i; i < exec.size(); ++i) {
    const QChar c = exec[i];
    if (c == u'"') {
      ++i;
      return word;
    }
    if (c == u'\\') {
      if (i + 1 == exec.size() || !isQuotedEscape(exec[i + 1])) {
        return std::nullopt;
      }
      word.append(exec[++i]);
    } else if (c == u'`' || c == u'$') {
      return std::nullopt;
    } else if (c == u'%' && i + 1 < exec.size() && exec[i + 1] == u'%') {
      word.append(u'%');
      ++i;
    } else {
      word.append(c);
    }
  }
  return std::nullopt;  // unclosed
}

}  // namespace

std::optional<QStringList> arguments(const QString& exec, const QStringList& targets) {
  QStringList out;
  int targetCodes = 0;  // %f %u %F %U together: a command line takes its targets once
  qsizetype i = 0;
  const qsizetype n = exec.size();
  while (true) {
    while (i < n && exec[i] == u' ') {
      ++i;
    }
    if (i == n) {
      break;
    }
    const bool isProgram = out.isEmpty();
    if (exec[i] == u'"') {
      const auto word = quotedArgument(exec, i);
      // Quotes enclose a whole argument, never a part of one.
      if (!word || (i < n && exec[i] != u' ')) {
        return std::nullopt;
      }
      out.append(*word);
    } else {
      const qsizetype start = i;
      QString word;
      bool keep = false;  // an argument that expands to nothing at all is left out
      bool targetList = false;
      bool fieldCode = false;
      for (; i < n && exec[i] != u' '; ++i) {
        const QChar c = exec[i];
        if (isReserved(c)) {
          return std::nullopt;
        }
        if (c != u'%') {
          word.append(c);
          keep = true;
          continue;
        }
        if (++i == n) {
          return std::nullopt;
        }
        const QChar code = exec[i];
        if (code == u'%') {
          word.append(u'%');
          keep = true;
          continue;
        }
        fieldCode = true;
        if (code == u'f' || code == u'u') {
          ++targetCodes;
          if (!targets.isEmpty()) {
            word.append(targets.first());
            keep = true;
          }
        } else if (code == u'F' || code == u'U') {
          ++targetCodes;
          targetList = true;
        } else if (!isDroppedFieldCode(code)) {
          return std::nullopt;
        }
      }
      // The program is named in the entry itself, never by what it is asked to open.
      if (isProgram && fieldCode) {
        return std::nullopt;
      }
      if (targetList) {
        // A list of targets is an argument of its own: it has nothing to be joined to.
        if (i - start != 2) {
          return std::nullopt;
        }
        out.append(targets);
      } else if (keep) {
        out.append(word);
      }
    }
    if (isProgram && (out.isEmpty() || out.first().isEmpty() || out.first().contains(u'='))) {
      // "=" would make the program read as an environment assignment to a shell.
      return std::nullopt;
    }
  }
  if (out.isEmpty() || targetCodes > 1) {
    return std::nullopt;
  }
  return out;
}

}  // namespace desktopentryexec
