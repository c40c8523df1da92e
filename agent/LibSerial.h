#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <vector>

#include "agent/AgentView.h"
#include "agent/LibSettings.h"
#include "agent/LinkState.h"
#include "agent/modCOMM.h"
#include "platform/MessageBoxes.h"
#include "platform/SerialPortMap.h"

// Port discovery, the port list and the link's start and stop. The link's state is this module's;
// the others ask it through LinkState.
class LibSerial final : public LinkState {
 public:
  static constexpr const char* kLineSettings = "baud=57600 parity=N data=8 stop=1";
  // What one enumeration of the port map takes: at most this many entries, each with a name and
  // a port name that fit the buffers of the map's reader (260 characters with the terminator,
  // 4096 bytes with it). The first entry that does not fit ends the enumeration.
  static constexpr qsizetype kMaxMapEntries = 1000000;
  static constexpr qsizetype kMaxValueNameChars = 259;
  static constexpr qsizetype kMaxPortNameChars = 4095;

  struct SerialPortInfo {
    QString NumberText;
    bool IsBluetooth = false;
  };

  LibSerial(modCOMM& comm, SerialPortMap& portMap, LibSettings& settings, AgentView& view,
            MessageBoxes& boxes);

  void EnumSerialPorts();
  // The port number saved in the settings when the link last started; "" for none.
  [[nodiscard]] QString SavedPort() const;
  void FillPortList();
  // Opens the port whose number is the port list's text; success shows in PortOpen.
  void StartSerialLink();
  void StopSerialLink();
  void ClosePort();

  // The port number of a port list text: its leading digits (blanks before them skipped); 0 for
  // none and for a number that does not fit a port number.
  [[nodiscard]] static qint16 portNumberOf(const QString& text);

  // A frame arrived: the unsolicited reports may run.
  void BeginSession() { SessionActive = true; }

  // LinkState
  [[nodiscard]] bool IsPortOpen() const override { return PortOpen; }
  [[nodiscard]] bool IsSessionActive() const override { return SessionActive; }
  void EndSession() override { SessionActive = false; }

  std::vector<SerialPortInfo> SerialPorts;
  QStringList PortNumbers;
  // The link is started.
  bool PortOpen = false;
  // The saved port was found in the list: the load handler starts the link at once.
  bool AutoStartPort = false;
  // A frame has arrived since the link was last stopped.
  bool SessionActive = false;

 private:
  modCOMM& comm_;
  SerialPortMap& portMap_;
  LibSettings& settings_;
  AgentView& view_;
  MessageBoxes& boxes_;
};
