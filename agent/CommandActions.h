#pragma once

#include <QString>
#include <QtGlobal>

// The desktop actions the dispatcher routes frames to. Each area has its own narrow interface;
// the agent's context hands in the real ones, tests recording doubles.

// Mouse, keyboard and cursor.
class InputActions {
 public:
  virtual ~InputActions() = default;
  virtual void LeftClick() = 0;
  virtual void LeftButtonDown() = 0;
  virtual void LeftButtonUp() = 0;
  virtual void RightClick() = 0;
  virtual void MoveCursorTo(qint32 x, qint32 y) = 0;
  [[nodiscard]] virtual qint32 GetCursorX() = 0;
  [[nodiscard]] virtual qint32 GetCursorY() = 0;
  // The screen's size in pixels (its size in twips converted by the twips-per-pixel rule).
  [[nodiscard]] virtual double ScreenWidthPixels() = 0;
  [[nodiscard]] virtual double ScreenHeightPixels() = 0;
  virtual void SetDefaultPointer() = 0;
  virtual void SendVirtualKey(quint16 virtualKey, bool keyDown) = 0;
  virtual void PressWindowsKey() = 0;
  virtual void ShowCursorOnce() = 0;
  virtual void ForceCursorVisible(bool visible) = 0;
  virtual void ShowDesktop() = 0;
  // The key-sequence sender: "%" holds Alt for the next key, "{NAME}" names a key. With `wait`
  // it returns once the keys were processed. False when the text is rejected.
  virtual bool SendKeys(const QString& keys, bool wait) = 0;
};

// Windows, programs and folders.
class WindowActions {
 public:
  virtual ~WindowActions() = default;
  [[nodiscard]] virtual quint64 ForegroundWindow() = 0;
  virtual void MinimizeWindow(quint64 window) = 0;
  virtual void MaximizeWindow(quint64 window) = 0;
  virtual void LaunchProgram(const QString& program, qint32 windowStyle) = 0;
  virtual void SendDirList(const QString& folder) = 0;
};

// The foreground report to the handheld ("CHANGEUI"); LibNotify owns it.
class ForegroundReports {
 public:
  virtual ~ForegroundReports() = default;
  // Compares the foreground title with the last one and reports a change (with `force`, the
  // unchanged title too).
  virtual void NotifyForegroundChange(bool force) = 0;
  // The agent is about to change the foreground window itself: the next check only takes the
  // new title as the reference and reports nothing.
  virtual void SuppressNextReport() = 0;
  // The next change is reported again.
  virtual void AllowNextReport() = 0;
};

// Documents and the slide show.
class SlideShowActions {
 public:
  virtual ~SlideShowActions() = default;
  // False for arguments that name nothing the handheld may open (a way out of the root folder):
  // such a request is refused before it changes anything.
  [[nodiscard]] virtual bool AcceptsDocument(const QString& folder, const QString& file) const = 0;
  virtual void OpenDocument(const QString& folder, const QString& file) = 0;
  virtual void HandlePresentCommand(const QString& command, const QString& argument) = 0;
};

// The embedded media player. It owns the media report's state: the last item reported and the
// mute and full-screen switches.
class MediaActions {
 public:
  virtual ~MediaActions() = default;
  // The next media report goes out even when the item is unchanged.
  virtual void ForceNextReport() = 0;
  virtual void SetPlaylist(const QString& name, bool play) = 0;
  [[nodiscard]] virtual QString GetPlaylistNames() = 0;
  virtual void NotifyMediaChange() = 0;
  virtual void PlayPause() = 0;
  virtual void StopPlayback() = 0;
  virtual void NextTrack() = 0;
  virtual void PreviousTrack() = 0;
  virtual void VolumeUp() = 0;
  virtual void VolumeDown() = 0;
  // Remembers the switch and applies it.
  virtual void SetMute(bool mute) = 0;
  // Full screen when it was not, and back.
  virtual void ToggleFullScreen() = 0;
  virtual void RepeatOn() = 0;
  virtual void RepeatOff() = 0;
  virtual void ShuffleOn() = 0;
  virtual void ShuffleOff() = 0;
};

// The master volume of the speakers.
class VolumeActions {
 public:
  virtual ~VolumeActions() = default;
  virtual void SetMasterVolume(qint32 percent) = 0;
};

// The body of the version reply.
class ProductInfo {
 public:
  virtual ~ProductInfo() = default;
  [[nodiscard]] virtual QString BuildInfoReply() = 0;
};
