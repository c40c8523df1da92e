#pragma once

#include <QString>
#include <QStringList>

// What the link, the receive loop and the dispatcher show on the agent's main window. The main
// window implements it; tests use a double.
class AgentView {
 public:
  enum class LinkPicture { Running, Stopped };  // images 4 and 5 of the tool images

  virtual ~AgentView() = default;

  virtual void setStatus(const QString& text) = 0;
  virtual void setLinkPicture(LinkPicture picture) = 0;
  virtual void setScanEnabled(bool enabled) = 0;
  // The port list: its items and the chosen text.
  virtual void setPortItems(const QStringList& items) = 0;
  [[nodiscard]] virtual QString portText() const = 0;
  virtual void setPortText(const QString& text) = 0;
  // The Connection page shown, the other pages hidden; the tab selection stays.
  virtual void showConnectionPage() = 0;
  virtual void restoreWindow() = 0;
  // The debug log box: its whole text, or text added at its end.
  virtual void setDebugLog(const QString& text) = 0;
  virtual void appendDebugLog(const QString& text) = 0;
  virtual void setPacketCount(const QString& text) = 0;
  virtual void setByteCount(const QString& text) = 0;
  // The tray icon's activity picture; it goes back to idle by itself.
  virtual void showActiveTrayIcon() = 0;
};
