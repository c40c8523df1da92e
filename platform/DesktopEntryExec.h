#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The Exec value of a desktop entry (the freedesktop.org Desktop Entry rules) taken apart into
// the program and its arguments, without a shell.
namespace desktopentryexec {

// The argument list of `exec`, the program first: the value's escapes and quoting resolved, "%%"
// as "%", "%u" and "%f" replaced by the first of `targets` (dropped when there is none), "%U"
// and "%F" by all of them, one argument each, and the other field codes dropped. Nothing when
// the value breaks the rules (an unclosed quote, an unknown field code) or names no program.
[[nodiscard]] std::optional<QStringList> arguments(const QString& exec, const QStringList& targets);

}  // namespace desktopentryexec
