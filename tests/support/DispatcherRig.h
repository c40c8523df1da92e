#pragma once

#include <QString>
#include <memory>

#include "agent/AgentFlags.h"
#include "agent/CommandActions.h"
#include "agent/LibGeneral.h"
#include "agent/LibSettings.h"
#include "agent/modCOMM.h"
#include "shared/LibParser.h"
#include "shared/libPresentation.h"
#include "tests/support/FakeAgentView.h"
#include "tests/support/FakeSerialDevices.h"
#include "tests/support/FakeTickClock.h"
#include "tests/support/NoProfileFiles.h"
#include "tests/support/RecordingActions.h"
#include "tests/support/ScriptedPresentationProgram.h"

// The dispatcher over doubles of everything around it: a fake port, a settings store that holds
// nothing, a scripted presentation program, and desktop actions that are recorded. A test fixture
// derives from it beside testing::Test and builds the module it tests on these members. The
// slide-show commands are recorded too, unless the fixture hands them to a slide manager of its
// own through slideTarget_.
class DispatcherRig {
 protected:
  // Passes the slide-show commands on to `target` once it is set, to the recording until then.
  class SlideTarget final : public SlideShowActions {
   public:
    explicit SlideTarget(SlideShowActions& recording) : recording_(recording) {}
    SlideShowActions* target = nullptr;
    void OpenDocument(const QString& folder, const QString& file) override {
      current().OpenDocument(folder, file);
    }
    void HandlePresentCommand(const QString& command, const QString& argument) override {
      current().HandlePresentCommand(command, argument);
    }

   private:
    SlideShowActions& current() { return target != nullptr ? *target : recording_; }
    SlideShowActions& recording_;
  };

  FakeSerialDevices devices_;
  std::shared_ptr<FakeSerialDevices::Device> device_;
  modCOMM comm_{devices_, [] {}, [] {}};
  NoProfileFiles profiles_;
  LibSettings settings_{profiles_, QStringLiteral("/nonexistent")};
  AgentFlags flags_;
  FakeAgentView view_;
  FakeTickClock clock_;
  LibParser parser_;
  ScriptedPresentationProgram program_;
  libPresentation presentation_{program_};
  RecordingActions actions_;
  SlideTarget slideTarget_{actions_};
  LibGeneral general_{parser_,
                      comm_,
                      settings_,
                      flags_,
                      view_,
                      clock_,
                      CommandTargets{actions_, actions_, slideTarget_, actions_, actions_, actions_,
                                     presentation_}};
};
