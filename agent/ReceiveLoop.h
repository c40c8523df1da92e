#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

#include "agent/AgentView.h"
#include "agent/DebugLog.h"
#include "agent/LibSerial.h"
#include "agent/modCOMM.h"
#include "platform/EventPump.h"
#include "platform/MessageBoxes.h"
#include "shared/LibParser.h"

// The receive tick: reads the port, stands the link down on the handheld's synchronisation
// signature, and hands at most one frame per tick to the dispatcher. The main window's 10 ms
// timer calls tmrCOM_Timer; a tick that comes while an earlier one still runs returns at once.
class ReceiveLoop {
 public:
  // The most received text kept. Frames are a few hundred characters at most, so a buffer this
  // long holds only garbage or a backlog; the oldest text goes first, and what is kept starts at
  // a frame's "<<".
  static constexpr qsizetype kMaxRxBufferChars = 64 * 1024;
  // Yields at the end of every tick, so that the window stays responsive under a stream of
  // frames.
  static constexpr int kTrailingYields = 10;

  // Executes one frame, with its "<<" and ">>": the dispatcher's ProcessMessage.
  using Dispatch = std::function<void(const QString& msg)>;

  ReceiveLoop(modCOMM& comm, LibSerial& serial, LibParser& parser, DebugLog& debugLog,
              AgentView& view, MessageBoxes& boxes, EventPump& pump, Dispatch dispatch);

  void tmrCOM_Timer();
  // Takes the first complete frame out of `inData` (removing every identical copy from the
  // receive buffer) and returns it with its "<<" and ">>"; "" when there is none. Empty pairs
  // "<<>>" in front of it are dropped from the buffer on the way.
  QString getNextMsg(const QString& inData);

  // The bytes BE EF ED 03 03 02 as the one-byte-per-character read gives them.
  [[nodiscard]] static QString hotSyncSignature();

 private:
  void standDown();
  void boundBuffer();

  modCOMM& comm_;
  LibSerial& serial_;
  LibParser& parser_;
  DebugLog& debugLog_;
  AgentView& view_;
  MessageBoxes& boxes_;
  EventPump& pump_;
  Dispatch dispatch_;
  bool ticking_ = false;
};
