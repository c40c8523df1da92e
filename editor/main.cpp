#include <QApplication>
#include <QCoreApplication>

#include "editor/EditorServices.h"
#include "editor/frmMain.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/X11KeyboardLocks.h"
#include "shared/libPresentation.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  LinuxPlatform desktop;
  X11KeyboardLocks locks;
  libPresentation presentation(desktop.office, desktop.pump);
  quenlow::frmMain window(quenlow::EditorServices{desktop.boxes, desktop.dialogs, desktop.shell,
                                                  locks, presentation,
                                                  QCoreApplication::applicationDirPath()});
  window.Form_Load();
  window.show();
  // Closing the window is the last window closed: the program ends.
  return QApplication::exec();
}
