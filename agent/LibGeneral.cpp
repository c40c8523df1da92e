#include "agent/LibGeneral.h"

#include <QStringView>
#include <array>
#include <limits>
#include <optional>
#include <utility>

#include "agent/Pause.h"
#include "platform/VirtualKeys.h"
#include "shared/NumberText.h"
#include "shared/PendingEvents.h"

namespace {

constexpr qint32 kCounterLimit = std::numeric_limits<qint32>::max();
// Internet Explorer needs this long after Alt+D before its address bar takes the typed text.
constexpr qint32 kAddressBarPauseMs = 500;

// The handheld's absolute positions are in its own units: 9 pixels across and 3 down per unit.
constexpr double kMouseScaleX = 9.0;
constexpr double kMouseScaleY = 3.0;

constexpr QStringView kInternetExplorer = u"INTERNET_EXPLORER";
constexpr QStringView kFirefox = u"FIREFOX";
constexpr QLatin1StringView kAddressMarker("[B_ADDR]");
constexpr QLatin1StringView kEnterMarker("[ENTER]");
constexpr QLatin1StringView kEnterKey("{ENTER}");
constexpr QLatin1StringView kEscKey("{ESC}");

struct NamedKey {
  QStringView name;
  quint16 virtualKey;
  bool keyDown;
};
// Each is one event only: the handheld sends the matching release (or press) itself.
constexpr std::array<NamedKey, 6> kNamedKeys = {{
    {u"{UP}", VirtualKey::kUp, true},
    {u"{DOWN}", VirtualKey::kDown, true},
    {u"{RIGHT}", VirtualKey::kRight, true},
    {u"{LEFT}", VirtualKey::kLeft, true},
    {u"{ENTER}", VirtualKey::kEnter, true},
    {u"{ESC}", VirtualKey::kEscape, false},
}};

struct BrowserCommand {
  QStringView command;
  QStringView keys;
};
constexpr std::array<BrowserCommand, 5> kBrowserCommands = {{
    {u"B_STOP", u"{ESC}"},
    {u"B_REFRESH", u"{F5}"},
    {u"B_BACK", u"%{LEFT}"},
    {u"B_FORWARD", u"%{RIGHT}"},
    {u"B_HOME", u"%{HOME}"},
}};

// The launcher buttons A to D, tested in this order against slots 1 to 4.
constexpr std::array<QStringView, LibSettings::kButtonSlotCount> kButtonTags = {u"[[A]]", u"[[B]]",
                                                                                u"[[C]]", u"[[D]]"};
constexpr qint32 kWindowNormal = 1;
constexpr qint32 kWindowMaximized = 3;
// The desktop's browser; the window layer maps these names onto the one the desktop names.
constexpr QStringView kInternetExplorerProgram = u"iexplore";
constexpr QStringView kFirefoxProgram = u"firefox";

qint32 saturatingAdd(qint32 counter, qint64 amount) {
  const qint64 sum = qint64{counter} + amount;
  return sum >= kCounterLimit ? kCounterLimit : static_cast<qint32>(sum);
}

// Both arguments as numbers; nothing when either is not wholly a number.
std::optional<std::pair<double, double>> numberPair(QStringView first, QStringView second) {
  const auto a = numbertext::parseNumber(first);
  const auto b = numbertext::parseNumber(second);
  if (!a || !b) {
    return std::nullopt;
  }
  return std::pair{*a, *b};
}

QString withEnterKey(QString text) { return text.replace(kEnterMarker, kEnterKey); }

}  // namespace

LibGeneral::LibGeneral(LibParser& parser, modCOMM& comm, LibSettings& settings, AgentFlags& flags,
                       AgentView& view, const TickClock& clock, CommandTargets targets)
    : parser_(parser),
      comm_(comm),
      settings_(settings),
      flags_(flags),
      view_(view),
      clock_(clock),
      targets_(targets) {}

void LibGeneral::ProcessMessage(const QString& msg) {
  // The counters stop at their largest value rather than wrap to negative numbers.
  PacketCount = saturatingAdd(PacketCount, 1);
  view_.setPacketCount(QString::number(PacketCount));
  ByteCount = saturatingAdd(ByteCount, msg.size());
  view_.setByteCount(QString::number(ByteCount));

  Fields.ParseMessage(msg, parser_);

  using Handler = void (LibGeneral::*)();
  struct Keyword {
    QStringView command;
    Handler handler;
  };
  static constexpr std::array<Keyword, 15> kKeywords = {{
      {u"MOUSE_BUTTON", &LibGeneral::mouseButton},
      {u"MOUSE", &LibGeneral::mouse},
      {u"SENDKEY", &LibGeneral::sendKey},
      {u"PRESENT", &LibGeneral::present},
      {u"EVENT", &LibGeneral::windowEvent},
      {u"ERROR", &LibGeneral::error},
      {u"5W", &LibGeneral::relativeMove},
      {u"TP", &LibGeneral::touchPadMove},
      {u"VOLUME", &LibGeneral::volume},
      {u"DIRLIST", &LibGeneral::dirList},
      {u"ACTIVATE", &LibGeneral::activate},
      {u"UNLOAD", &LibGeneral::unload},
      {u"WMP", &LibGeneral::media},
      {u"LOADAPP", &LibGeneral::loadApp},
      {u"INFO", &LibGeneral::info},
  }};
  for (const Keyword& keyword : kKeywords) {
    if (Fields.MsgCommand == keyword.command) {
      (this->*keyword.handler)();
      return;
    }
  }
}

void LibGeneral::SendReply(const QString& cmd, const QString& arg1, const QString& arg2) {
  (void)SendToDevice(QStringLiteral("<<") + cmd + u'|' + arg1 + u'|' + arg2 + QStringLiteral(">>"));
}

bool LibGeneral::SendToDevice(const QString& msg) {
  const qint32 written = comm_.WritePortString(comm_.PortNumber, msg);
  if (written > 0) {
    // Kept before the pause, so that a frame sent from inside the pause is the newer one.
    LastSentMessage = msg;
  }
  if (flags_.DebugMode) {
    view_.setDebugLog(view_.debugLog() + QStringLiteral("SND: ") + msg + QStringLiteral("\r\n"));
  }
  // Paces the agent's output for the handheld, also when nothing went out.
  Pause(clock_, kReplyPauseMs);
  return written > 0;
}

void LibGeneral::mouseButton() {
  InputActions& input = targets_.input;
  const QString& button = Fields.MsgArg1;
  if (button == u"LEFT_CLICK") {
    input.LeftClick();
  } else if (button == u"LEFT_DOWN") {
    input.LeftButtonDown();
  } else if (button == u"LEFT_UP") {
    input.LeftButtonUp();
  } else if (button == u"RIGHT_CLICK") {
    input.RightClick();
  }
}

void LibGeneral::mouse() {
  InputActions& input = targets_.input;
  if (Fields.MsgArg1 == u"CENTER") {
    const auto x = numbertext::toInt32(input.ScreenWidthPixels() / 2.0);
    const auto y = numbertext::toInt32(input.ScreenHeightPixels() / 2.0);
    if (x && y) {
      input.MoveCursorTo(*x, *y);
    }
    return;
  }
  // A position that is not a number, or lies beyond what a coordinate can hold, moves nothing
  // and leaves the pointer as it is.
  const auto position = numberPair(Fields.MsgArg1, Fields.MsgArg2);
  if (!position) {
    return;
  }
  const auto x = numbertext::toInt32(position->first * kMouseScaleX);
  const auto y = numbertext::toInt32(position->second * kMouseScaleY);
  if (!x || !y) {
    return;
  }
  input.SetDefaultPointer();
  input.MoveCursorTo(*x, *y);
}

void LibGeneral::sendKey() {
  if (Fields.MsgArg1 == u"KBD") {
    keyboardKeys();
  } else if (Fields.MsgArg1 == u"BROWSER") {
    browserKeys();
  }
}

void LibGeneral::keyboardKeys() {
  InputActions& input = targets_.input;
  if (Fields.MsgArg2.contains(u"[[START]]")) {
    input.PressWindowsKey();
    return;
  }
  const QString upper = Fields.MsgArg2.toUpper();
  bool named = false;
  for (const NamedKey& key : kNamedKeys) {
    if (upper == key.name) {
      input.SendVirtualKey(key.virtualKey, key.keyDown);
      named = true;
      break;
    }
  }
  if (!named) {
    // A key text the sender rejects is dropped; the cursor step below still runs.
    (void)input.SendKeys(Fields.MsgArg2, false);
  }
  if (Fields.MsgArg2.contains(kEscKey)) {
    input.ShowCursorOnce();
    input.ForceCursorVisible(true);
  }
}

void LibGeneral::browserKeys() {
  InputActions& input = targets_.input;
  const bool internetExplorer = flags_.BrowserType == kInternetExplorer;
  const bool firefox = flags_.BrowserType == kFirefox;
  if (!internetExplorer && !firefox) {
    return;
  }
  for (const BrowserCommand& command : kBrowserCommands) {
    if (Fields.MsgArg2 == command.command) {
      (void)input.SendKeys(command.keys.toString(), false);
      return;
    }
  }
  // The address text is read from the field when it is typed: events processed in between may
  // have changed it.
  if (internetExplorer) {
    (void)input.SendKeys(QStringLiteral("%D"), false);
    Pause(clock_, kAddressBarPauseMs);
    QString address = Fields.MsgArg2;
    address.remove(kAddressMarker);
    (void)input.SendKeys(withEnterKey(std::move(address)), false);
    return;
  }
  QString address = Fields.MsgArg2;
  if (address.contains(kAddressMarker)) {
    (void)input.SendKeys(QStringLiteral("{F6}"), true);
    ProcessPendingEvents();
    address.remove(kAddressMarker);
  }
  ProcessPendingEvents();
  (void)input.SendKeys(withEnterKey(std::move(address)), false);
}

void LibGeneral::present() { targets_.slides.HandlePresentCommand(Fields.MsgArg1, Fields.MsgArg2); }

void LibGeneral::windowEvent() {
  const quint64 window = targets_.windows.ForegroundWindow();
  const QString& event = Fields.MsgArg1;
  if (event == u"MIN") {
    targets_.windows.MinimizeWindow(window);
  } else if (event == u"MAX") {
    targets_.windows.MaximizeWindow(window);
  } else if (event == u"CLOSE") {
    flags_.SuppressWindowNotify = true;
    flags_.SessionActive = false;
    if (targets_.presentation.Model.ShowRunning) {
      targets_.presentation.QuitPresentation();
    }
  } else if (event == u"SHOW_DESKTOP") {
    if (Fields.MsgArg2 == u"TRUE") {
      targets_.input.ShowDesktop();
    }
  } else if (event == u"ACTIVE_WINDOW") {
    targets_.windows.NotifyForegroundChange(true);
  }
}

void LibGeneral::error() {
  if (Fields.MsgArg1 == u"RESEND") {
    // A copy: the text handed on must not be the variable that the send itself writes.
    const QString again = LastSentMessage;
    (void)SendToDevice(again);
  }
}

void LibGeneral::relativeMove() {
  const auto delta = numberPair(Fields.MsgArg1, Fields.MsgArg2);
  if (!delta) {
    return;
  }
  InputActions& input = targets_.input;
  const auto x = numbertext::toInt32(input.GetCursorX() + delta->first);
  const auto y = numbertext::toInt32(input.GetCursorY() + delta->second);
  if (x && y) {
    input.MoveCursorTo(*x, *y);
  }
}

void LibGeneral::touchPadMove() {
  const auto delta = numberPair(Fields.MsgArg1, Fields.MsgArg2);
  if (!delta) {
    return;
  }
  InputActions& input = targets_.input;
  const auto x = numbertext::toInt32(input.GetCursorX() + delta->first);
  const auto y = numbertext::toInt32(input.GetCursorY() + delta->second);
  if (!x || !y) {
    return;
  }
  TouchTarget.x = *x;
  TouchTarget.y = *y;
  if (delta->first == 0.0 && delta->second == 0.0) {
    // No movement: the cursor is put where it is now, which the user may have changed.
    const qint32 currentX = input.GetCursorX();
    const qint32 currentY = input.GetCursorY();
    input.MoveCursorTo(currentX, currentY);
  } else {
    input.MoveCursorTo(TouchTarget.x, TouchTarget.y);
  }
}

void LibGeneral::volume() {
  if (Fields.MsgArg1 != u"SET") {
    return;
  }
  if (const auto percent = numbertext::toWholeNumber(Fields.MsgArg2)) {
    targets_.volume.SetMasterVolume(*percent);
  }
}

void LibGeneral::dirList() { targets_.windows.SendDirList(Fields.MsgArg1); }

void LibGeneral::activate() {
  if (!ActiveFolder.isEmpty() && !ActiveFile.isEmpty()) {
    targets_.presentation.ClosePowerPoint();
  }
  targets_.slides.OpenDocument(Fields.MsgArg1, Fields.MsgArg2);
  ActiveFolder = Fields.MsgArg1;
  ActiveFile = Fields.MsgArg2;
  targets_.input.ForceCursorVisible(true);
}

void LibGeneral::unload() {
  if (Fields.MsgArg1.toUpper() == u"CURRENT_PRESENTATION") {
    flags_.SuppressWindowNotify = true;
    targets_.presentation.ClosePowerPoint();
    targets_.presentation.ResetPresentationModel();
  }
}

void LibGeneral::media() {
  MediaActions& player = targets_.media;
  // A single space differs from every item name, so the next media report goes out.
  const auto forceNextReport = [this] { flags_.LastMediaName = QStringLiteral(" "); };
  const QString command = Fields.MsgArg1.toUpper();
  if (command == u"SET_PLAYLIST") {
    forceNextReport();
    player.SetPlaylist(Fields.MsgArg2, false);
    player.NotifyMediaChange();
  } else if (command == u"GET_PLAYLIST") {
    forceNextReport();
    SendReply(QStringLiteral("WMP"), QStringLiteral("PLAYLIST"), player.GetPlaylistNames());
    player.NotifyMediaChange();
  } else if (command == u"PLAY") {
    player.PlayPause();
  } else if (command == u"STOP") {
    player.StopPlayback();
  } else if (command == u"NEXT") {
    forceNextReport();
    player.NextTrack();
  } else if (command == u"PREV") {
    forceNextReport();
    player.PreviousTrack();
  } else if (command == u"VOL_UP") {
    player.VolumeUp();
  } else if (command == u"VOL_DOWN") {
    player.VolumeDown();
  } else if (command == u"MUTE_ON") {
    flags_.IsMuted = true;
    player.SetMute(true);
  } else if (command == u"MUTE_OFF") {
    flags_.IsMuted = false;
    player.SetMute(false);
  } else if (command == u"FULL_SCREEN") {
    flags_.IsFullScreen = !flags_.IsFullScreen;
    player.SetFullScreen(flags_.IsFullScreen);
  } else if (command == u"REPEAT_ON") {
    player.RepeatOn();
  } else if (command == u"REPEAT_OFF") {
    player.RepeatOff();
  } else if (command == u"SHUFFLE_ON") {
    player.ShuffleOn();
  } else if (command == u"SHUFFLE_OFF") {
    player.ShuffleOff();
  }
}

void LibGeneral::loadApp() {
  WindowActions& windows = targets_.windows;
  const QString& program = Fields.MsgArg1;
  for (std::size_t i = 0; i < kButtonTags.size(); ++i) {
    const QString& mapped = settings_.ButtonApps[LibSettings::kFirstButtonSlot + i];
    // A button without a program falls through to the next test, and at last to the text.
    if (program.contains(kButtonTags[i]) && !mapped.isEmpty()) {
      windows.LaunchProgram(mapped, kWindowNormal);
      return;
    }
  }
  if (!program.contains(u"DEFAULT_BROWSER")) {
    windows.LaunchProgram(program, kWindowMaximized);
  } else if (flags_.BrowserType == kInternetExplorer) {
    windows.LaunchProgram(kInternetExplorerProgram.toString(), kWindowMaximized);
  } else if (flags_.BrowserType == kFirefox) {
    windows.LaunchProgram(kFirefoxProgram.toString(), kWindowMaximized);
  }
}

void LibGeneral::info() {
  if (Fields.MsgArg1 == u"VERSION") {
    SendReply(QStringLiteral("INFO"), QStringLiteral("VERSION"), targets_.product.BuildInfoReply());
  }
}
