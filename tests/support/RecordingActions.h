#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "agent/CommandActions.h"
#include "agent/LibGeneral.h"
#include "shared/libPresentation.h"

// Every desktop action the dispatcher can reach, recorded in one list in the order of the calls
// ("MoveCursorTo(90,60)", "SendKeys(a|b,false)", "GetCursorX()"), so that a test sees the whole
// sequence across the areas. The getters answer from the public values below.
class RecordingActions final : public InputActions,
                               public WindowActions,
                               public ForegroundReports,
                               public SlideShowActions,
                               public MediaActions,
                               public VolumeActions,
                               public ProductInfo {
 public:
  QStringList calls;
  // Runs after each call is recorded, with its text: lets a test act in the middle of a command,
  // as a window event processed there would.
  std::function<void(const QString&)> onCall;

  qint32 cursorX = 0;
  qint32 cursorY = 0;
  double screenWidth = 1024;
  double screenHeight = 768;
  quint64 foregroundWindow = 4242;
  bool acceptKeys = true;
  QString playlistNames;
  QString infoReply;
  // What AcceptsDocument answers.
  bool acceptDocuments = true;

  CommandTargets targets(libPresentation& presentation) {
    return CommandTargets{*this, *this, *this, *this, *this, *this, *this, presentation};
  }

  // InputActions
  void LeftClick() override { record(QStringLiteral("LeftClick()")); }
  void LeftButtonDown() override { record(QStringLiteral("LeftButtonDown()")); }
  void LeftButtonUp() override { record(QStringLiteral("LeftButtonUp()")); }
  void RightClick() override { record(QStringLiteral("RightClick()")); }
  void MoveCursorTo(qint32 x, qint32 y) override {
    record(QStringLiteral("MoveCursorTo(%1,%2)").arg(x).arg(y));
  }
  qint32 GetCursorX() override {
    record(QStringLiteral("GetCursorX()"));
    return cursorX;
  }
  qint32 GetCursorY() override {
    record(QStringLiteral("GetCursorY()"));
    return cursorY;
  }
  double ScreenWidthPixels() override {
    record(QStringLiteral("ScreenWidthPixels()"));
    return screenWidth;
  }
  double ScreenHeightPixels() override {
    record(QStringLiteral("ScreenHeightPixels()"));
    return screenHeight;
  }
  void SetDefaultPointer() override { record(QStringLiteral("SetDefaultPointer()")); }
  void SendVirtualKey(quint16 virtualKey, bool keyDown) override {
    record(QStringLiteral("SendVirtualKey(%1,%2)").arg(virtualKey).arg(flag(keyDown)));
  }
  void PressWindowsKey() override { record(QStringLiteral("PressWindowsKey()")); }
  void ShowCursorOnce() override { record(QStringLiteral("ShowCursorOnce()")); }
  void ForceCursorVisible(bool visible) override {
    record(QStringLiteral("ForceCursorVisible(%1)").arg(flag(visible)));
  }
  void ShowDesktop() override { record(QStringLiteral("ShowDesktop()")); }
  bool SendKeys(const QString& keys, bool wait) override {
    record(QStringLiteral("SendKeys(%1,%2)").arg(keys, flag(wait)));
    return acceptKeys;
  }

  // WindowActions
  quint64 ForegroundWindow() override {
    record(QStringLiteral("ForegroundWindow()"));
    return foregroundWindow;
  }
  void MinimizeWindow(quint64 window) override {
    record(QStringLiteral("MinimizeWindow(%1)").arg(window));
  }
  void MaximizeWindow(quint64 window) override {
    record(QStringLiteral("MaximizeWindow(%1)").arg(window));
  }
  void LaunchProgram(const QString& program, qint32 windowStyle) override {
    record(QStringLiteral("LaunchProgram(%1,%2)").arg(program).arg(windowStyle));
  }
  void SendDirList(const QString& folder) override {
    record(QStringLiteral("SendDirList(%1)").arg(folder));
  }

  // ForegroundReports
  void NotifyForegroundChange(bool force) override {
    record(QStringLiteral("NotifyForegroundChange(%1)").arg(flag(force)));
  }
  void SuppressNextReport() override { record(QStringLiteral("SuppressNextReport()")); }
  void AllowNextReport() override { record(QStringLiteral("AllowNextReport()")); }

  // SlideShowActions
  bool AcceptsDocument(const QString& /*folder*/, const QString& /*file*/) const override {
    return acceptDocuments;
  }
  void OpenDocument(const QString& folder, const QString& file) override {
    record(QStringLiteral("OpenDocument(%1,%2)").arg(folder, file));
  }
  void HandlePresentCommand(const QString& command, const QString& argument) override {
    record(QStringLiteral("HandlePresentCommand(%1,%2)").arg(command, argument));
  }

  // MediaActions
  void ForceNextReport() override { record(QStringLiteral("ForceNextReport()")); }
  void SetPlaylist(const QString& name, bool play) override {
    record(QStringLiteral("SetPlaylist(%1,%2)").arg(name, flag(play)));
  }
  QString GetPlaylistNames() override {
    record(QStringLiteral("GetPlaylistNames()"));
    return playlistNames;
  }
  void NotifyMediaChange() override { record(QStringLiteral("NotifyMediaChange()")); }
  void PlayPause() override { record(QStringLiteral("PlayPause()")); }
  void StopPlayback() override { record(QStringLiteral("StopPlayback()")); }
  void NextTrack() override { record(QStringLiteral("NextTrack()")); }
  void PreviousTrack() override { record(QStringLiteral("PreviousTrack()")); }
  void VolumeUp() override { record(QStringLiteral("VolumeUp()")); }
  void VolumeDown() override { record(QStringLiteral("VolumeDown()")); }
  void SetMute(bool mute) override { record(QStringLiteral("SetMute(%1)").arg(flag(mute))); }
  void ToggleFullScreen() override { record(QStringLiteral("ToggleFullScreen()")); }
  void RepeatOn() override { record(QStringLiteral("RepeatOn()")); }
  void RepeatOff() override { record(QStringLiteral("RepeatOff()")); }
  void ShuffleOn() override { record(QStringLiteral("ShuffleOn()")); }
  void ShuffleOff() override { record(QStringLiteral("ShuffleOff()")); }

  // VolumeActions
  void SetMasterVolume(qint32 percent) override {
    record(QStringLiteral("SetMasterVolume(%1)").arg(percent));
  }

  // ProductInfo
  QString BuildInfoReply() override {
    record(QStringLiteral("BuildInfoReply()"));
    return infoReply;
  }

 private:
  static QString flag(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
  }

  void record(const QString& call) {
    calls << call;
    if (onCall) {
      onCall(call);
    }
  }
};
