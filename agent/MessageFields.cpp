#include "agent/MessageFields.h"

#include "agent/FrameText.h"

namespace {

// A received frame is "<<" inner ">>" with a non-empty inner text, so anything this short
// carries no command.
constexpr qsizetype kShortestCommandFrame = 6;

}  // namespace

void MessageFields::ParseMessage(QStringView msg, LibParser& parser) {
  // Every field of a new frame starts empty. GetTextBetween refuses a start below 1 (nullopt),
  // and a refused read leaves its field as it is; starting from empty means such a field can
  // never show the previous frame's text to an action that reads it later.
  MsgCommand.clear();
  MsgArg1.clear();
  MsgArg2.clear();
  if (msg.size() < kShortestCommandFrame) {
    return;
  }

  // The arguments continue from where the command ended. When the text holds no command
  // ("<<" ... "|"), ScanPos would still be whatever the receive buffer or an earlier frame left
  // behind, and the argument reads would search this text from that foreign position. Starting
  // from 0 makes those reads start at -1, which GetTextBetween refuses, so the fields stay empty.
  parser.ScanPos = 0;
  if (auto command =
          parser.GetTextBetween(0, msg, frametext::kFrameOpen, frametext::kFieldSeparator)) {
    MsgCommand = std::move(*command);
  }
  // The "|" that closed the command opens argument 1. With only two fields there is no second
  // "|": argument 1 comes out empty, ScanPos stays, and the same "|" opens argument 2.
  if (auto arg1 = parser.GetTextBetween(parser.ScanPos - 1, msg, frametext::kFieldSeparator,
                                        frametext::kFieldSeparator)) {
    MsgArg1 = std::move(*arg1);
  }
  // Everything up to ">>", further "|" included, is argument 2.
  if (auto arg2 = parser.GetTextBetween(parser.ScanPos - 1, msg, frametext::kFieldSeparator,
                                        frametext::kFrameClose)) {
    MsgArg2 = std::move(*arg2);
  }
}
