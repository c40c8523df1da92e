#include <QApplication>
#include <QCoreApplication>

#include "agent/CorvaneProgram.h"
#include "platform/linux/LinuxPlatform.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  LinuxPlatform desktop;
  CorvaneProgram program(
      ProgramPlatform{AgentPlatform{desktop.devices, desktop.portMap, desktop.profiles,
                                    desktop.clock, desktop.pump, desktop.boxes, desktop.office,
                                    desktop.windows, desktop.shell},
                      desktop.input, desktop.input, desktop.dialogs, desktop.termination},
      QCoreApplication::applicationDirPath());
  // Closing the window or a request from outside ends the event loop; the run is then taken down
  // in order while the desktop's services are still there.
  QObject::connect(&application, &QCoreApplication::aboutToQuit,
                   [&program] { program.Shutdown(); });
  program.Main(QCoreApplication::arguments());
  return QApplication::exec();
}
