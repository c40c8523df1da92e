#include "agent/AgentContext.h"

#include "shared/PendingEvents.h"

AgentContext::AgentContext(const AgentPlatform& platform, AgentView& view,
                           const AgentActions& actions, const QString& programFolder)
    : presentation(platform.presentationProgram),
      settings(platform.profiles, programFolder),
      comm(
          platform.devices, [] { ProcessPendingEvents(); }, [&view] { view.showActiveTrayIcon(); }),
      serial(comm, platform.portMap, settings, flags, view, platform.boxes),
      general(parser, comm, settings, flags, view, platform.clock,
              CommandTargets{actions.input, commands, slides, actions.media, actions.volume,
                             actions.product, presentation}),
      receiveLoop(
          comm, serial, parser, flags, view, platform.boxes, [] { ProcessPendingEvents(); },
          [this](const QString& msg) { general.ProcessMessage(msg); }),
      notify(platform.windows, general, flags, platform.clock),
      commands(platform.windows, platform.shell, general, settings, notify, platform.clock),
      documentWindows(commands, notify),
      slides(SlideMgrServices{general, presentation, settings, flags, parser, actions.input,
                              documentWindows, platform.shell, platform.clock},
             programFolder) {}

void AgentContext::startForegroundTimer() {
  QObject::connect(&foregroundTimer, &QTimer::timeout, [this] { notify.ForegroundTimer_Tick(); });
  foregroundTimer.start(kForegroundIntervalMs);
}
