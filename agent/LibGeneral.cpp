#include "agent/LibGeneral.h"

#include <QStringView>
#include <array>
#include <limits>
#include <optional>
#include <utility>

#include "agent/FrameText.h"
#include "agent/KeywordTable.h"
#include "agent/Pause.h"
#include "platform/VirtualKeys.h"
#include "shared/NumberText.h"

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
// The handheld's named keys, each with the one event it stands for (a press; for Esc a release).
// LibNewSendKey turns either into a whole keystroke.
constexpr std::array<NamedKey, 6> kNamedKeys = {{
    {u"{UP}", VirtualKey::kUp, true},
    {u"{DOWN}", VirtualKey::kDown, true},
    {u"{RIGHT}", VirtualKey::kRight, true},
    {u"{LEFT}", VirtualKey::kLeft, true},
    {u"{ENTER}", VirtualKey::kEnter, true},
    {u"{ESC}", VirtualKey::kEscape, false},
}};

struct BrowserCommand {
  QStringView name;
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

LibGeneral::LibGeneral(const GeneralServices& services) : services_(services) {}

void LibGeneral::ConnectTargets(const CommandTargets& targets) { targets_.emplace(targets); }

void LibGeneral::ProcessMessage(const QString& msg) {
  // The counters stop at their largest value rather than wrap to negative numbers.
  PacketCount = saturatingAdd(PacketCount, 1);
  services_.view.setPacketCount(QString::number(PacketCount));
  ByteCount = saturatingAdd(ByteCount, msg.size());
  services_.view.setByteCount(QString::number(ByteCount));

  Fields.ParseMessage(msg, services_.parser);
  if (!targets_) {
    return;
  }

  using Handler = void (LibGeneral::*)();
  struct Keyword {
    QStringView name;
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
  if (const Keyword* keyword = FindKeyword(kKeywords, Fields.MsgCommand)) {
    (this->*keyword->handler)();
  }
}

void LibGeneral::SendReply(const QString& cmd, const QString& arg1, const QString& arg2) {
  (void)SendToDevice(frametext::BuildFrame(cmd, arg1, arg2));
}

bool LibGeneral::SendToDevice(const QString& msg) {
  modCOMM& comm = services_.comm;
  const qint32 written = comm.WritePortString(comm.PortNumber, msg);
  if (written > 0) {
    // Kept before the pause, so that a frame sent from inside the pause is the newer one.
    LastSentMessage = msg;
  }
  services_.debugLog.Append(QStringLiteral("SND: ") + msg + QStringLiteral("\r\n"));
  // Paces the agent's output for the handheld, also when nothing went out.
  Pause(services_.clock, services_.pump, kReplyPauseMs);
  return written > 0;
}

void LibGeneral::mouseButton() {
  struct Button {
    QStringView name;
    void (InputActions::*action)();
  };
  static constexpr std::array<Button, 4> kButtons = {{
      {u"LEFT_CLICK", &InputActions::LeftClick},
      {u"LEFT_DOWN", &InputActions::LeftButtonDown},
      {u"LEFT_UP", &InputActions::LeftButtonUp},
      {u"RIGHT_CLICK", &InputActions::RightClick},
  }};
  if (const Button* button = FindKeyword(kButtons, Fields.MsgArg1)) {
    (targets_->input.*button->action)();
  }
}

void LibGeneral::mouse() {
  InputActions& input = targets_->input;
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
  InputActions& input = targets_->input;
  if (Fields.MsgArg2.contains(u"[[START]]")) {
    input.PressWindowsKey();
    return;
  }
  if (const NamedKey* key = FindKeyword(kNamedKeys, Fields.MsgArg2.toUpper())) {
    input.SendVirtualKey(key->virtualKey, key->keyDown);
  } else {
    // A key text the sender rejects is dropped; the cursor step below still runs.
    (void)input.SendKeys(Fields.MsgArg2, false);
  }
  if (Fields.MsgArg2.contains(kEscKey)) {
    input.ShowCursorOnce();
    input.ForceCursorVisible(true);
  }
}

void LibGeneral::browserKeys() {
  InputActions& input = targets_->input;
  const QString& browserType = services_.browser.BrowserType;
  const bool internetExplorer = browserType == kInternetExplorer;
  const bool firefox = browserType == kFirefox;
  if (!internetExplorer && !firefox) {
    return;
  }
  if (const BrowserCommand* command = FindKeyword(kBrowserCommands, Fields.MsgArg2)) {
    (void)input.SendKeys(command->keys.toString(), false);
    return;
  }
  // The address text is read from the field when it is typed: events processed in between may
  // have changed it.
  if (internetExplorer) {
    (void)input.SendKeys(QStringLiteral("%D"), false);
    Pause(services_.clock, services_.pump, kAddressBarPauseMs);
    QString address = Fields.MsgArg2;
    address.remove(kAddressMarker);
    (void)input.SendKeys(withEnterKey(std::move(address)), false);
    return;
  }
  QString address = Fields.MsgArg2;
  if (address.contains(kAddressMarker)) {
    (void)input.SendKeys(QStringLiteral("{F6}"), true);
    services_.pump.ProcessPendingEvents();
    address.remove(kAddressMarker);
  }
  services_.pump.ProcessPendingEvents();
  (void)input.SendKeys(withEnterKey(std::move(address)), false);
}

void LibGeneral::present() {
  targets_->slides.HandlePresentCommand(Fields.MsgArg1, Fields.MsgArg2);
}

void LibGeneral::windowEvent() {
  struct WindowEvent {
    QStringView name;
    void (*action)(LibGeneral& general, CommandTargets& targets, quint64 window);
  };
  static constexpr std::array<WindowEvent, 5> kEvents = {{
      {u"MIN",
       [](LibGeneral&, CommandTargets& t, quint64 window) { t.windows.MinimizeWindow(window); }},
      {u"MAX",
       [](LibGeneral&, CommandTargets& t, quint64 window) { t.windows.MaximizeWindow(window); }},
      {u"CLOSE",
       [](LibGeneral& general, CommandTargets& t, quint64) {
         t.reports.SuppressNextReport();
         general.services_.link.EndSession();
         if (t.presentation.Model.ShowRunning) {
           t.presentation.QuitPresentation();
         }
       }},
      {u"SHOW_DESKTOP",
       [](LibGeneral& general, CommandTargets& t, quint64) {
         if (general.Fields.MsgArg2 == u"TRUE") {
           t.input.ShowDesktop();
         }
       }},
      {u"ACTIVE_WINDOW",
       [](LibGeneral&, CommandTargets& t, quint64) { t.reports.NotifyForegroundChange(true); }},
  }};
  // The foreground window is read once, before the event is looked at.
  const quint64 window = targets_->windows.ForegroundWindow();
  if (const WindowEvent* event = FindKeyword(kEvents, Fields.MsgArg1)) {
    event->action(*this, *targets_, window);
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
  InputActions& input = targets_->input;
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
  InputActions& input = targets_->input;
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
    targets_->volume.SetMasterVolume(*percent);
  }
}

void LibGeneral::dirList() { targets_->windows.SendDirList(Fields.MsgArg1); }

void LibGeneral::activate() {
  // Copies: opening lets frames run, and a frame among them replaces the fields.
  const QString folder = Fields.MsgArg1;
  const QString file = Fields.MsgArg2;
  // A request for something the handheld may not open leaves the running show, the model and
  // the remembered document as they were.
  if (!targets_->slides.AcceptsDocument(folder, file)) {
    return;
  }
  if (!Active.ActiveFolder.isEmpty() && !Active.ActiveFile.isEmpty()) {
    targets_->presentation.ClosePowerPoint();
  }
  targets_->slides.OpenDocument(folder, file);
  Active.ActiveFolder = folder;
  Active.ActiveFile = file;
  targets_->input.ForceCursorVisible(true);
}

void LibGeneral::unload() {
  if (Fields.MsgArg1.toUpper() == u"CURRENT_PRESENTATION") {
    targets_->reports.SuppressNextReport();
    targets_->presentation.ClosePowerPoint();
    targets_->presentation.ResetPresentationModel();
  }
}

void LibGeneral::media() {
  struct MediaCommand {
    QStringView name;
    // The next media report goes out even for an unchanged item.
    bool forcesReport;
    void (*action)(LibGeneral& general, MediaActions& player);
  };
  static constexpr std::array<MediaCommand, 15> kCommands = {{
      {u"SET_PLAYLIST", true,
       [](LibGeneral& general, MediaActions& player) {
         player.SetPlaylist(general.Fields.MsgArg2, false);
         player.NotifyMediaChange();
       }},
      {u"GET_PLAYLIST", true,
       [](LibGeneral& general, MediaActions& player) {
         general.SendReply(QStringLiteral("WMP"), QStringLiteral("PLAYLIST"),
                           player.GetPlaylistNames());
         player.NotifyMediaChange();
       }},
      {u"PLAY", false, [](LibGeneral&, MediaActions& player) { player.PlayPause(); }},
      {u"STOP", false, [](LibGeneral&, MediaActions& player) { player.StopPlayback(); }},
      {u"NEXT", true, [](LibGeneral&, MediaActions& player) { player.NextTrack(); }},
      {u"PREV", true, [](LibGeneral&, MediaActions& player) { player.PreviousTrack(); }},
      {u"VOL_UP", false, [](LibGeneral&, MediaActions& player) { player.VolumeUp(); }},
      {u"VOL_DOWN", false, [](LibGeneral&, MediaActions& player) { player.VolumeDown(); }},
      {u"MUTE_ON", false, [](LibGeneral&, MediaActions& player) { player.SetMute(true); }},
      {u"MUTE_OFF", false, [](LibGeneral&, MediaActions& player) { player.SetMute(false); }},
      {u"FULL_SCREEN", false, [](LibGeneral&, MediaActions& player) { player.ToggleFullScreen(); }},
      {u"REPEAT_ON", false, [](LibGeneral&, MediaActions& player) { player.RepeatOn(); }},
      {u"REPEAT_OFF", false, [](LibGeneral&, MediaActions& player) { player.RepeatOff(); }},
      {u"SHUFFLE_ON", false, [](LibGeneral&, MediaActions& player) { player.ShuffleOn(); }},
      {u"SHUFFLE_OFF", false, [](LibGeneral&, MediaActions& player) { player.ShuffleOff(); }},
  }};
  if (const MediaCommand* command = FindKeyword(kCommands, Fields.MsgArg1.toUpper())) {
    if (command->forcesReport) {
      targets_->media.ForceNextReport();
    }
    command->action(*this, targets_->media);
  }
}

void LibGeneral::loadApp() {
  WindowActions& windows = targets_->windows;
  const QString& program = Fields.MsgArg1;
  for (std::size_t i = 0; i < kButtonTags.size(); ++i) {
    const QString& mapped = services_.settings.ButtonApps[LibSettings::kFirstButtonSlot + i];
    // A button without a program falls through to the next test, and at last to the text.
    if (program.contains(kButtonTags[i]) && !mapped.isEmpty()) {
      windows.LaunchProgram(mapped, kWindowNormal);
      return;
    }
  }
  const QString& browserType = services_.browser.BrowserType;
  if (!program.contains(u"DEFAULT_BROWSER")) {
    windows.LaunchProgram(program, kWindowMaximized);
  } else if (browserType == kInternetExplorer) {
    windows.LaunchProgram(kInternetExplorerProgram.toString(), kWindowMaximized);
  } else if (browserType == kFirefox) {
    windows.LaunchProgram(kFirefoxProgram.toString(), kWindowMaximized);
  }
}

void LibGeneral::info() {
  if (Fields.MsgArg1 == u"VERSION") {
    SendReply(QStringLiteral("INFO"), QStringLiteral("VERSION"),
              targets_->product.BuildInfoReply());
  }
}
