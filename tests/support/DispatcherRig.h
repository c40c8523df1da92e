#pragma once

#include <QString>
#include <memory>

#include "agent/DebugLog.h"
#include "agent/DefaultBrowser.h"
#include "agent/LibGeneral.h"
#include "agent/LibSerial.h"
#include "agent/LibSettings.h"
#include "agent/modCOMM.h"
#include "shared/LibParser.h"
#include "shared/libPresentation.h"
#include "tests/support/FakeAgentView.h"
#include "tests/support/FakeDesktopShell.h"
#include "tests/support/FakeEventPump.h"
#include "tests/support/FakeLinkState.h"
#include "tests/support/FakeRegistry.h"
#include "tests/support/FakeSerialDevices.h"
#include "tests/support/FakeTickClock.h"
#include "tests/support/NoProfileFiles.h"
#include "tests/support/RecordingActions.h"
#include "tests/support/ScriptedPresentationProgram.h"

// The dispatcher over doubles of everything around it: a fake port, a settings store that holds
// nothing, a scripted presentation program, and desktop actions that are recorded. A test fixture
// derives from it beside testing::Test and builds the module it tests on these members; it may
// connect the dispatcher to modules of its own instead of the recording (connectTargets).
class DispatcherRig {
 protected:
  DispatcherRig() { general_.ConnectTargets(actions_.targets(presentation_)); }

  static constexpr qint16 kRigPort = 3;

  // The port the handheld's frames come in on, opened as the link opens it; false when it failed.
  [[nodiscard]] bool openPort() {
    device_ = devices_.add(QStringLiteral("COM3"));
    comm_.PortNumber = kRigPort;
    return comm_.CommOpen(kRigPort, QStringLiteral("COM3"), LibSerial::kLineSettings) == 0;
  }

  // The frames written to the port since the last call.
  QString takeWritten() {
    const QString frames = QString::fromLatin1(device_->written);
    device_->written.clear();
    return frames;
  }

  FakeSerialDevices devices_;
  std::shared_ptr<FakeSerialDevices::Device> device_;
  FakeEventPump pump_;
  modCOMM comm_{devices_, pump_, [] {}};
  NoProfileFiles profiles_;
  LibSettings settings_{profiles_, QStringLiteral("/nonexistent")};
  FakeLinkState link_;
  FakeDesktopShell shell_;
  FakeRegistry registry_;
  DefaultBrowser browser_{registry_};
  FakeAgentView view_;
  DebugLog debugLog_{view_};
  FakeTickClock clock_;
  LibParser parser_;
  ScriptedPresentationProgram program_;
  libPresentation presentation_{program_, pump_};
  RecordingActions actions_;
  LibGeneral general_{
      GeneralServices{parser_, comm_, settings_, link_, browser_, debugLog_, view_, clock_, pump_}};
};
