// Button configuration that arrives with the button menu's configure commands, the
// icon picker and the recent list. Until then: no recent entries are kept, a file
// with several icons gives its first, and the description and parameter editors are
// not offered.
#include "ui/window/MainWindow.h"

namespace kex {

void MainWindow::RecentAdd(const std::string&) {}

void MainWindow::RecentReplace(const std::string&, const std::string&) {}

int MainWindow::PickIcon(const std::string&) { return 0; }

void MainWindow::ButtonTextEntered(const std::string&, const std::string&) {}

} // namespace kex
