#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <memory>

#include "agent/AgentContext.h"
#include "agent/LibAppREg.h"
#include "agent/LibWMPCustom.h"
#include "agent/frmMain.h"
#include "agent/libWMP.h"
#include "platform/linux/IniProfileFiles.h"
#include "tests/support/EventWait.h"
#include "tests/support/FakeAudioMixers.h"
#include "tests/support/FakeDesktopShell.h"
#include "tests/support/FakeEventPump.h"
#include "tests/support/FakeFileDialogs.h"
#include "tests/support/FakeMediaPlayer.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/FakeRegistry.h"
#include "tests/support/FakeSerialDevices.h"
#include "tests/support/FakeSerialPortMap.h"
#include "tests/support/FakeTickClock.h"
#include "tests/support/FakeWindowSystem.h"
#include "tests/support/RecordingActions.h"
#include "tests/support/ScriptedPresentationProgram.h"

// The agent's main window over the agent's real modules, wired as the program wires them, on
// doubles of the desktop: fake serial devices and port map, answered message boxes and file
// dialogs, a recording shell, and the real settings file in a private program folder. A fixture
// derives from it beside testing::Test, arranges the doubles and config.ini, then calls load().
class MainWindowRig {
 protected:
  MainWindowRig() {
    // Every wait of the modules ends after a few readings.
    clock_.step = 100;
    QDir(folder()).mkpath(QStringLiteral("Shared/Presentations/Notes"));
  }

  [[nodiscard]] QString folder() const { return dir_.path(); }
  [[nodiscard]] QString configPath() const { return folder() + QStringLiteral("/config.ini"); }

  void writeConfig(const QByteArray& bytes) const {
    QFile file(configPath());
    if (file.open(QIODevice::WriteOnly)) {
      file.write(bytes);
    }
  }
  [[nodiscard]] QByteArray configBytes() const {
    QFile file(configPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  // A port in the map and a device behind it; Bluetooth ports are preselected.
  std::shared_ptr<FakeSerialDevices::Device> addPort(int number, bool bluetooth = true) {
    if (!portMap_.map) {
      portMap_.map.emplace();
    }
    portMap_.map->push_back({bluetooth ? QStringLiteral("\\Device\\BthModem%1").arg(number)
                                       : QStringLiteral("\\Device\\Serial%1").arg(number),
                             QStringLiteral("COM%1").arg(number)});
    return devices_.add(number > 9 ? QStringLiteral("\\\\.\\COM%1").arg(number)
                                   : QStringLiteral("COM%1").arg(number));
  }

  // Builds the window, the modules on it, and attaches them: the program's order.
  void build() {
    window_ = std::make_unique<frmMain>(MainWindowServices{boxes_, dialogs_, shell_, folder()});
    agent_ = std::make_unique<AgentContext>(
        AgentPlatform{devices_, portMap_, profiles_, clock_, pump_, boxes_, program_, windows_,
                      shell_, registry_},
        *window_, AgentActions{actions_, media_, volume_, product_}, folder());
    window_->Attach(MainWindowModules{agent_->serial, agent_->settings, agent_->receiveLoop,
                                      agent_->notify, agent_->debugLog, media_, product_});
  }

  void load(bool debugMode = false) {
    build();
    window_->Form_Load(debugMode, QStringLiteral("1.0.7"));
  }

  // Runs the event loop until `condition` holds, for at most `boundMs`.
  static bool waitUntil(const std::function<bool()>& condition, int boundMs = 5000) {
    return waitForCondition(condition, boundMs);
  }

  QTemporaryDir dir_;
  FakeSerialDevices devices_;
  FakeSerialPortMap portMap_;
  IniProfileFiles profiles_;
  FakeTickClock clock_;
  FakeEventPump pump_;
  FakeMessageBoxes boxes_;
  ScriptedPresentationProgram program_;
  FakeWindowSystem windows_;
  FakeDesktopShell shell_;
  FakeRegistry registry_;
  FakeFileDialogs dialogs_;
  RecordingActions actions_;
  FakeMediaPlayers players_;
  FakeAudioMixers mixers_;
  libWMP media_{players_};
  LibWMPCustom volume_{mixers_};
  LibAppREg product_{media_, volume_};
  // The modules show their state on the window: they are destroyed before it.
  std::unique_ptr<frmMain> window_;
  std::unique_ptr<AgentContext> agent_;
};
