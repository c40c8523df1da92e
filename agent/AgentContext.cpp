#include "agent/AgentContext.h"

AgentContext::AgentContext(const AgentPlatform& platform, AgentView& view,
                           const AgentActions& actions, const QString& programFolder)
    : presentation(platform.presentationProgram, platform.pump),
      settings(platform.profiles, programFolder),
      debugLog(view),
      browser(platform.registry),
      comm(platform.devices, platform.pump, [&view] { view.showActiveTrayIcon(); }),
      serial(comm, platform.portMap, settings, view, platform.boxes),
      general(GeneralServices{parser, comm, settings, serial, browser, debugLog, view,
                              platform.clock, platform.pump}),
      receiveLoop(comm, serial, parser, debugLog, view, platform.boxes, platform.pump,
                  [this](const QString& msg) { general.ProcessMessage(msg); }),
      notify(platform.windows, general, serial, platform.clock, platform.pump),
      commands(CommandsServices{platform.windows, platform.shell, general, settings, browser,
                                platform.clock, platform.pump}),
      documentWindows(commands, notify),
      slides(SlideMgrServices{general, general.Active, presentation, settings, notify, parser,
                              actions.input, documentWindows, platform.shell, platform.clock,
                              platform.pump},
             programFolder) {
  general.ConnectTargets(CommandTargets{actions.input, commands, notify, slides, actions.media,
                                        actions.volume, actions.product, presentation});
}
