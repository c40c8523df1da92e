#include <QApplication>
#include <QCoreApplication>

#include "agent/CorvaneProgram.h"
#include "platform/linux/LinuxPlatform.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  // The agent lives on in the tray when its window is hidden; only its exit routine ends it.
  QApplication::setQuitOnLastWindowClosed(false);
  LinuxPlatform desktop;
  CorvaneProgram program(
      ProgramPlatform{AgentPlatform{desktop.devices, desktop.portMap, desktop.profiles,
                                    desktop.clock, desktop.pump, desktop.boxes, desktop.office,
                                    desktop.windows, desktop.shell, desktop.registry},
                      desktop.input, desktop.input, desktop.dialogs, desktop.termination,
                      desktop.instanceLock, desktop.tray, desktop.players, desktop.mixers},
      QCoreApplication::applicationDirPath());
  if (!program.Main(QCoreApplication::arguments())) {
    return 0;
  }
  // Whatever else ends the event loop, the agent is taken down in order.
  QObject::connect(&application, &QCoreApplication::aboutToQuit,
                   [&program] { program.ExitApplication(); });
  return QApplication::exec();
}
