// The tray icon that stands in for the bar while it hides; it arrives with the tray
// component, and until then the bar never hides.
#include "ui/window/MainWindow.h"

namespace kex {

void MainWindow::TrayActivate(bool) {}

bool MainWindow::TrayIconShowing() const { return false; }

} // namespace kex
