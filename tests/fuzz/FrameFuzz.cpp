#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "agent/DebugLog.h"
#include "agent/DefaultBrowser.h"
#include "agent/LibGeneral.h"
#include "agent/LibSettings.h"
#include "agent/MessageFields.h"
#include "agent/modCOMM.h"
#include "platform/ProfileFiles.h"
#include "platform/Windows1252.h"
#include "shared/LibParser.h"
#include "shared/libPresentation.h"
#include "tests/support/FakeAgentView.h"
#include "tests/support/FakeDesktopShell.h"
#include "tests/support/FakeEventPump.h"
#include "tests/support/FakeLinkState.h"
#include "tests/support/FakeRegistry.h"
#include "tests/support/FakeSerialDevices.h"
#include "tests/support/FakeTickClock.h"
#include "tests/support/NoProfileFiles.h"
#include "tests/support/RecordingActions.h"
#include "tests/support/ScriptedPresentationProgram.h"

namespace {

constexpr qint16 kPort = 3;
// Larger than any pause of the dispatcher: every pause ends at its first reading, without
// sleeping.
constexpr quint32 kClockStep = 1u << 20;

void check(bool condition) {
  if (!condition) {
    std::abort();
  }
}

// What the parser gives for any text: short texts carry nothing, and neither the command nor
// argument 1 can hold the "|" that ends it.
void checkParse(const QString& text, LibParser& parser) {
  MessageFields fields;
  fields.ParseMessage(text, parser);
  if (text.size() <= 5) {
    check(fields.MsgCommand.isEmpty() && fields.MsgArg1.isEmpty() && fields.MsgArg2.isEmpty());
  }
  check(!fields.MsgCommand.contains(u'|') && !fields.MsgArg1.contains(u'|'));
}

}  // namespace

// Any bytes as what arrives at the port: the frames in them are cut out as the receive loop does
// (first "<<" to the next ">>", every identical copy removed) and run through the dispatcher
// with recording actions. The first byte chooses the browser kind and the debug mode.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  const std::uint8_t mode = data[0];
  QString buffer = windows1252::decode(reinterpret_cast<const char*>(data + 1),
                                       static_cast<qsizetype>(size - 1));

  FakeSerialDevices devices;
  FakeEventPump pump;
  const auto device = devices.add(QStringLiteral("COM3"));
  modCOMM comm(devices, pump, [] {});
  check(comm.CommOpen(kPort, QStringLiteral("COM3"),
                      QStringLiteral("baud=57600 parity=N data=8 stop=1")) == 0);
  comm.PortNumber = kPort;
  NoProfileFiles profiles;
  LibSettings settings(profiles, QStringLiteral("/nonexistent"));
  settings.ButtonApps[1] = QStringLiteral("editor");
  settings.ButtonApps[4] = QStringLiteral("calculator");
  FakeDesktopShell shell;
  FakeRegistry registry;
  DefaultBrowser browser(registry);
  const QString browsers[] = {QStringLiteral("FIREFOX"), QStringLiteral("INTERNET_EXPLORER"),
                              QString()};
  browser.BrowserType = browsers[mode % 3];
  FakeAgentView view;
  DebugLog debugLog(view);
  debugLog.DebugMode = (mode & 0x80) != 0;
  FakeLinkState link;
  FakeTickClock clock;
  clock.step = kClockStep;
  LibParser parser;
  ScriptedPresentationProgram program;
  libPresentation presentation(program, pump);
  RecordingActions actions;
  actions.playlistNames = QStringLiteral("Mix");
  actions.infoReply = QStringLiteral("1.0.0");
  LibGeneral general(
      GeneralServices{parser, comm, settings, link, browser, debugLog, view, clock, pump});
  general.ConnectTargets(actions.targets(presentation));

  checkParse(buffer, parser);

  qint64 frames = 0;
  qint64 bytes = 0;
  for (;;) {
    const auto inner = parser.GetTextBetween(0, buffer, u"<<", u">>");
    if (!inner || inner->isEmpty()) {
      // An empty pair would stand in front of every later frame: drop everything up to behind
      // it, or stop when there is no pair at all.
      const qsizetype at = buffer.indexOf(QStringLiteral("<<>>"));
      if (!inner || at < 0) {
        break;
      }
      buffer.remove(0, at + 4);
      continue;
    }
    const QString frame = QStringLiteral("<<") + *inner + QStringLiteral(">>");
    const qsizetype before = buffer.size();
    buffer.remove(frame, Qt::CaseSensitive);
    check(buffer.size() < before);

    checkParse(frame, parser);
    general.ProcessMessage(frame);
    ++frames;
    bytes += frame.size();
    check(general.PacketCount == frames && general.ByteCount == bytes);
    check(view.packets == QString::number(frames) && view.bytes == QString::number(bytes));
  }
  // What went out is whole frames only.
  check(device->written.isEmpty() ||
        (device->written.startsWith("<<") && device->written.endsWith(">>")));
  return 0;
}
