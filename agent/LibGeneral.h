#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

#include "agent/ActiveDocument.h"
#include "agent/AgentView.h"
#include "agent/CommandActions.h"
#include "agent/DebugLog.h"
#include "agent/DefaultBrowser.h"
#include "agent/LibSettings.h"
#include "agent/LinkState.h"
#include "agent/MessageFields.h"
#include "agent/ReplySender.h"
#include "agent/modCOMM.h"
#include "platform/EventPump.h"
#include "platform/TickClock.h"
#include "shared/LibParser.h"
#include "shared/libPresentation.h"

// Everything the dispatcher routes frames to. The modules behind them send their replies through
// the dispatcher, so they are connected once they exist (ConnectTargets).
struct CommandTargets {
  InputActions& input;
  WindowActions& windows;
  ForegroundReports& reports;
  SlideShowActions& slides;
  MediaActions& media;
  VolumeActions& volume;
  ProductInfo& product;
  libPresentation& presentation;
};

// What the dispatcher and the reply path run on, all owned elsewhere.
struct GeneralServices {
  LibParser& parser;
  modCOMM& comm;
  LibSettings& settings;  // ButtonApps
  LinkState& link;
  DefaultBrowser& browser;  // BrowserType
  DebugLog& debugLog;
  AgentView& view;
  const TickClock& clock;
  EventPump& pump;
};

// The dispatcher and the reply path.
class LibGeneral final : public ReplySender {
 public:
  static constexpr qint32 kReplyPauseMs = 280;

  explicit LibGeneral(const GeneralServices& services);

  // Routes the commands to their modules from now on; until then a frame is counted and parsed
  // but runs nothing.
  void ConnectTargets(const CommandTargets& targets);

  // Executes one received frame, with its "<<" and ">>".
  void ProcessMessage(const QString& msg);

  // ReplySender
  void SendReply(const QString& cmd, const QString& arg1, const QString& arg2) override;
  bool SendToDevice(const QString& msg) override;

  MessageFields Fields;
  qint32 PacketCount = 0;
  qint32 ByteCount = 0;
  struct {
    qint32 x = 0;
    qint32 y = 0;
  } TouchTarget;
  ActiveDocument Active;
  // The last frame sent, repeated on the handheld's "ERROR" / "RESEND".
  QString LastSentMessage;

 private:
  // One handler per keyword of the table, in the table's order.
  void mouseButton();
  void mouse();
  void sendKey();
  void keyboardKeys();
  void browserKeys();
  void present();
  void windowEvent();
  void error();
  void relativeMove();
  void touchPadMove();
  void volume();
  void dirList();
  void activate();
  void unload();
  void media();
  void loadApp();
  void info();

  GeneralServices services_;
  std::optional<CommandTargets> targets_;
};
