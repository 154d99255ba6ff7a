// The gauge panel and small mode. The panel's refresh and the shrinking of the bar
// come with the gauge control; until then the bar always stays at full size.
#include "ui/window/MainWindow.h"

namespace kex {

void MainWindow::GasGage() {}

void MainWindow::SmallSize() {}

} // namespace kex
