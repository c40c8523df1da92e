#pragma once

#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

// User and system time of the process so far, in seconds, from /proc; -1 when it cannot be read.
inline double cpuSecondsOf(qint64 pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) {
    return -1;
  }
  const QByteArray text = stat.readAll();
  // The fields after the command name, which sits in parentheses and may hold spaces.
  const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
  if (fields.size() < 13) {
    return -1;
  }
  const double ticks = fields[11].toDouble() + fields[12].toDouble();
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}
