#include "shared/OpenWithShell.h"

void OpenWithShell(DesktopShell& shell, const QString& target) {
  (void)shell.openWithDefaultApplication(target);
}
