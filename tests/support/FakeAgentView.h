#pragma once

#include <optional>

#include "agent/AgentView.h"

// Keeps what the agent showed, for the tests to look at.
class FakeAgentView : public AgentView {
 public:
  QString status;
  std::optional<LinkPicture> picture;
  bool scanEnabled = true;
  QStringList portItems;
  QString port;
  int connectionPageShown = 0;
  int restored = 0;
  QString log;
  QString packets;
  QString bytes;
  int activity = 0;

  void setStatus(const QString& text) override { status = text; }
  void setLinkPicture(LinkPicture p) override { picture = p; }
  void setScanEnabled(bool enabled) override { scanEnabled = enabled; }
  void setPortItems(const QStringList& items) override { portItems = items; }
  QString portText() const override { return port; }
  void setPortText(const QString& text) override { port = text; }
  void showConnectionPage() override { ++connectionPageShown; }
  void restoreWindow() override { ++restored; }
  void appendDebugLog(const QString& text) override { log += text; }
  void setDebugLog(const QString& text) override { log = text; }
  void setPacketCount(const QString& text) override { packets = text; }
  void setByteCount(const QString& text) override { bytes = text; }
  void showActiveTrayIcon() override { ++activity; }
};
