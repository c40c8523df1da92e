#include "agent/ReceiveLoop.h"

#include <QScopeGuard>
#include <QStringView>
#include <iterator>
#include <optional>
#include <utility>

#include "agent/FrameText.h"

namespace {

using frametext::kFrameClose;
using frametext::kFrameOpen;
constexpr QStringView kEmptyFrame = u"<<>>";

const QString kStoppedTitle = QStringLiteral("CorvaneControl Stopped");
const QString kStoppedText = QStringLiteral(
    "Hotsync was requested, stopping\n"
    "CorvaneControl.  To resume CorvaneControl\n"
    "click the 'Play' button.");

// Removes the empty pairs that stand where a frame is looked for: each would be found as the
// first frame, never be taken out, and hold back every frame behind it. One pass: the character
// in front of such a pair is never "<" (that would have been an earlier "<<"), so removing a pair
// never joins two characters into a new "<<". False when there is no such pair.
bool dropLeadingEmptyFrames(QString& data) {
  qsizetype at = data.indexOf(kFrameOpen);
  const auto emptyAt = [&data](qsizetype i) {
    return i >= 0 && QStringView(data).sliced(i).startsWith(kEmptyFrame);
  };
  if (!emptyAt(at)) {
    return false;
  }
  QString kept;
  kept.reserve(data.size());
  qsizetype copied = 0;
  while (emptyAt(at)) {
    kept += QStringView(data).sliced(copied, at - copied);
    copied = at + kEmptyFrame.size();
    at = data.indexOf(kFrameOpen, copied);
  }
  kept += QStringView(data).sliced(copied);
  data = std::move(kept);
  return true;
}

}  // namespace

ReceiveLoop::ReceiveLoop(modCOMM& comm, LibSerial& serial, LibParser& parser, DebugLog& debugLog,
                         AgentView& view, MessageBoxes& boxes, EventPump& pump, Dispatch dispatch)
    : comm_(comm),
      serial_(serial),
      parser_(parser),
      debugLog_(debugLog),
      view_(view),
      boxes_(boxes),
      pump_(pump),
      dispatch_(std::move(dispatch)) {}

QString ReceiveLoop::hotSyncSignature() {
  static constexpr char16_t kSignature[] = {0x00BE, 0x00EF, 0x00ED, 0x0003, 0x0003, 0x0002};
  return QStringView(kSignature, std::ssize(kSignature)).toString();
}

QString ReceiveLoop::getNextMsg(const QString& inData) {
  // A copy: `inData` is usually the receive buffer itself, which is replaced below.
  QString data = inData;
  if (dropLeadingEmptyFrames(data)) {
    comm_.RxBuffer = data;
  }
  const std::optional<QString> inner = parser_.GetTextBetween(0, data, kFrameOpen, kFrameClose);
  if (!inner || inner->isEmpty()) {
    return QString();
  }
  QString frame;
  frame.reserve(kFrameOpen.size() + inner->size() + kFrameClose.size());
  frame.append(kFrameOpen).append(*inner).append(kFrameClose);
  // A frame repeated by the handheld is executed once: every identical copy goes, in one pass.
  data.remove(frame, Qt::CaseSensitive);
  comm_.RxBuffer = std::move(data);
  return frame;
}

void ReceiveLoop::boundBuffer() {
  QString& buffer = comm_.RxBuffer;
  if (buffer.size() <= kMaxRxBufferChars) {
    return;
  }
  // A frame that starts before the newest kMaxRxBufferChars characters is longer than any
  // frame can be: it goes too.
  const qsizetype keepFrom = buffer.indexOf(kFrameOpen, buffer.size() - kMaxRxBufferChars);
  if (keepFrom < 0) {
    buffer.clear();
  } else {
    buffer.remove(0, keepFrom);
  }
}

void ReceiveLoop::standDown() {
  view_.restoreWindow();
  (void)boxes_.show(MessageBoxIcon::Information, MessageBoxButtons::Ok, kStoppedText,
                    kStoppedTitle);
  view_.showConnectionPage();
  comm_.RxBuffer.clear();
  serial_.StopSerialLink();
}

void ReceiveLoop::tmrCOM_Timer() {
  // The yields below, the dispatch and the message box all let timers run: a tick that comes
  // meanwhile must not take a second frame out of the buffer under the first one.
  if (ticking_) {
    return;
  }
  ticking_ = true;
  const auto done = qScopeGuard([this] { ticking_ = false; });

  pump_.ProcessPendingEvents();
  const QString received = comm_.ReadPortData();
  if (!received.isEmpty()) {
    comm_.RxBuffer += received;
  }

  // The handheld's synchronisation service has taken over the port: nothing in the buffer can
  // be trusted to be ours.
  if (serial_.PortOpen && comm_.RxBuffer.contains(hotSyncSignature())) {
    standDown();
    return;
  }

  boundBuffer();
  const QString msg = getNextMsg(comm_.RxBuffer);
  if (!msg.isEmpty()) {
    view_.showActiveTrayIcon();
    serial_.BeginSession();
    pump_.ProcessPendingEvents();
    debugLog_.Append(QStringLiteral("\r\nRCV: \r\n") + msg + QStringLiteral("\r\n\r\n"));
    dispatch_(msg);
    pump_.ProcessPendingEvents();
  }

  for (int i = 0; i < kTrailingYields; ++i) {
    pump_.ProcessPendingEvents();
  }
}
