#include "agent/FrameText.h"

#include <utility>
#include <vector>

namespace frametext {

QString BuildFrame(QStringView cmd, QStringView arg1, QStringView arg2) {
  QString frame;
  frame.reserve(kFrameOpen.size() + cmd.size() + arg1.size() + arg2.size() +
                2 * kFieldSeparator.size() + kFrameClose.size());
  frame.append(kFrameOpen)
      .append(cmd)
      .append(kFieldSeparator)
      .append(arg1)
      .append(kFieldSeparator)
      .append(arg2)
      .append(kFrameClose);
  return frame;
}

QString WithoutFrameEnd(QString text) {
  std::vector<qsizetype> ends;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text.at(i) == u'>' &&
        (i == 0 || text.at(i - 1) == u'>' || (i + 1 < text.size() && text.at(i + 1) == u'>'))) {
      ends.push_back(i);
    }
  }
  for (const qsizetype i : ends) {
    text[i] = u' ';
  }
  return text;
}

QString FieldValue(QString text) {
  text.replace(kFieldSeparator.at(0), u' ');
  return WithoutFrameEnd(std::move(text));
}

}  // namespace frametext
