#include "agent/LibCommands.h"

#include <QDir>
#include <QFileInfo>
#include <QLatin1StringView>
#include <QStandardPaths>
#include <QStringView>
#include <algorithm>
#include <optional>
#include <utility>

#include "agent/FrameText.h"
#include "agent/LibNotify.h"
#include "agent/Pause.h"
#include "agent/RootFolder.h"
#include "platform/DesktopEntryExec.h"

namespace {

constexpr QLatin1StringView kExeSuffix(".EXE");
// The names the handheld uses for "the browser"; on Linux both are the desktop's browser.
constexpr QLatin1StringView kInternetExplorerName("iexplore");
constexpr QLatin1StringView kFirefoxName("firefox");

// Linux: characters no file name on the original desktop could hold. ":" and "|" would break
// the listing and its frame, "<" and ">" could close the frame, "\" reads as a separator when
// the handheld sends the name back.
bool isListableName(QStringView name) {
  static constexpr QLatin1StringView kForbidden("\\/:*?\"<>|");
  return std::none_of(name.begin(), name.end(),
                      [](QChar c) { return c.unicode() < u' ' || kForbidden.contains(c); });
}

// Arguments at spaces, a double-quoted stretch kept in one argument without its quotes, as a
// command line is taken apart without a shell.
QStringList splitArguments(QStringView parameters) {
  QStringList arguments;
  QString current;
  bool inArgument = false;
  bool quoted = false;
  for (const QChar c : parameters) {
    if (c == u'"') {
      quoted = !quoted;
      inArgument = true;
    } else if (c == u' ' && !quoted) {
      if (inArgument) {
        arguments << current;
        current.clear();
        inArgument = false;
      }
    } else {
      current += c;
      inArgument = true;
    }
  }
  if (inArgument) {
    arguments << current;
  }
  return arguments;
}

constexpr QLatin1StringView kDesktopEntrySuffix(".desktop");

// A desktop entry file may carry the execute bit, yet it is no program: it describes one.
bool isExecutableFile(const QString& path) {
  const QFileInfo info(path);
  return info.isFile() && info.isExecutable() &&
         !path.endsWith(kDesktopEntrySuffix, Qt::CaseInsensitive);
}

bool isProgramOnPath(const QString& name) {
  return !name.isEmpty() && !name.contains(u'/') &&
         !name.endsWith(kDesktopEntrySuffix, Qt::CaseInsensitive) &&
         !QStandardPaths::findExecutable(name).isEmpty();
}

struct ProgramCall {
  QString program;
  QStringList arguments;
  // The program is something to start (an executable file, or a name on PATH); anything else is
  // opened with the desktop's application for it.
  bool startable = false;
};

// A command part that was not already found to be a program.
ProgramCall asGiven(const QString& program, QStringList arguments = {}) {
  return {program, std::move(arguments), isExecutableFile(program) || isProgramOnPath(program)};
}

// Linux: a command without ".EXE" names its program by the longest run of leading words that is
// an executable file (a path may hold spaces), else by a first word found on PATH; the rest are
// its parameters. A command that names neither is the program as a whole.
ProgramCall splitLinuxCommand(const QString& command) {
  const QStringList words = command.split(u' ');
  const qsizetype tried = std::min(words.size(), LibCommands::kProgramPathWords);
  for (qsizetype count = tried; count > 0; --count) {
    const QString candidate = words.first(count).join(u' ');
    if (candidate.contains(u'/') && isExecutableFile(candidate)) {
      return {candidate, splitArguments(QStringView(command).mid(candidate.size())), true};
    }
  }
  const QString& first = words.constFirst();
  if (isProgramOnPath(first)) {
    return {first, splitArguments(QStringView(command).mid(first.size())), true};
  }
  return asGiven(command);
}

ProgramCall splitCommand(const QString& command) {
  const qsizetype exe = command.indexOf(kExeSuffix, 0, Qt::CaseInsensitive);
  if (exe < 0) {
    return splitLinuxCommand(command);
  }
  // The program runs up to and including ".EXE" when a space follows somewhere after it;
  // otherwise the whole command is the program.
  const qsizetype afterExe = exe + kExeSuffix.size();
  if (command.indexOf(u' ', afterExe) < 0) {
    return asGiven(command);
  }
  return asGiven(command.left(afterExe), splitArguments(QStringView(command).mid(afterExe)));
}

}  // namespace

LibCommands::LibCommands(const CommandsServices& services) : services_(services) {}

void LibCommands::ListTopLevelWindows() {
  WindowListBox.clear();
  for (const WindowHandle window : services_.windows.topLevelWindows()) {
    if (static_cast<qsizetype>(WindowListBox.size()) >= kWindowListLimit) {
      break;
    }
    (void)EnumWindowsProc(window);
  }
}

bool LibCommands::EnumWindowsProc(WindowHandle window) {
  const std::optional<QString> title = services_.windows.windowTitle(window);
  if (title && !title->isEmpty()) {
    WindowListBox.push_back({title->left(LibNotify::kWindowTitleChars), window});
  }
  return true;
}

qint32 LibCommands::FindWindowEntry(const QString& name) const {
  for (std::size_t i = 0; i < WindowListBox.size(); ++i) {
    if (WindowListBox[i].title.contains(name, Qt::CaseSensitive)) {
      return static_cast<qint32>(i);
    }
  }
  return -1;
}

QString LibCommands::OpenWindowFlag(const QString& name) const {
  return FindWindowEntry(name) > -1 ? QStringLiteral("A") : QStringLiteral("I");
}

QStringList LibCommands::listedFiles(const QString& folder) const {
  const std::optional<QString> below = FolderBelowRoot(folder);
  if (!below) {
    return {};
  }
  // Hidden files (a leading ".") stay out, as they were out of sight on the original desktop.
  // A folder that is missing or unreadable lists nothing rather than the previous folder's files.
  const QString path = services_.settings.RootDirPath + *below;
  // Without a root there is no folder to list (an empty path would be the working folder).
  if (path.isEmpty()) {
    return {};
  }
  const QDir dir(path);
  QStringList names = dir.entryList(QDir::Files, QDir::NoSort);
  names.removeIf([](const QString& name) { return !isListableName(name); });
  // Ascending by name as the file list showed it: letters without regard to case first.
  std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
  });
  return names;
}

bool LibCommands::SendDirListFrame(const QString& folder) {
  const QStringList names = listedFiles(folder);
  // One snapshot serves every file of this listing.
  ListTopLevelWindows();
  QStringList entries;
  entries.reserve(names.size());
  for (const QString& name : names) {
    entries << OpenWindowFlag(name) + name;
  }
  return services_.reply.SendToDevice(
      frametext::BuildFrame(u"DIRLIST", folder, entries.join(u':')));
}

void LibCommands::SendDirList(const QString& folder) { (void)SendDirListFrame(folder); }

void LibCommands::MoveWindowToTop(WindowHandle window) {
  // A window that cannot be raised stays where it is.
  (void)services_.windows.raiseWithoutActivating(window);
}

void LibCommands::ActivateWindow(WindowHandle window) { (void)services_.windows.activate(window); }

quint64 LibCommands::ForegroundWindow() { return services_.windows.foregroundWindow(); }

void LibCommands::MinimizeWindow(quint64 window) { (void)services_.windows.minimize(window); }

void LibCommands::MaximizeWindow(quint64 window) { (void)services_.windows.maximize(window); }

void LibCommands::startBrowser(DesktopShell::WindowStyle style) {
  // The browser's own command line, as its desktop entry writes it, without an address: an
  // "env …" or "flatpak run …" prefix is part of it.
  const std::optional<QStringList> call =
      desktopentryexec::arguments(services_.browser.Command(), {});
  if (call && !call->isEmpty()) {
    (void)services_.shell.startProgram(call->constFirst(), call->sliced(1), style);
  }
}

void LibCommands::LaunchProgram(const QString& command, qint32 windowStyle) {
  // Linux: the window styles the dispatcher passes; any other code shows a normal window.
  const DesktopShell::WindowStyle style = windowStyle == kShowMaximized
                                              ? DesktopShell::WindowStyle::Maximized
                                              : DesktopShell::WindowStyle::Normal;
  if (command.compare(kInternetExplorerName, Qt::CaseInsensitive) == 0 ||
      command.compare(kFirefoxName, Qt::CaseInsensitive) == 0) {
    // Linux: both names stand for the desktop's browser.
    startBrowser(style);
  } else if (!command.isEmpty()) {
    // A program starts with its parameters; anything else (a document, a folder, an address, a
    // desktop entry) opens with the desktop's application for it, as the shell's open did. A
    // failure is simply nothing started; the pause still follows.
    const ProgramCall call = splitCommand(command);
    if (call.startable) {
      (void)services_.shell.startProgram(call.program, call.arguments, style);
    } else {
      (void)services_.shell.openWithDefaultApplication(call.program);
    }
  }
  Pause(services_.clock, services_.pump, kLaunchPauseMs);
}
