// Button passwords and the modify lockout. No password file is kept yet: every button
// is unprotected and the bar is never locked.
#include "ui/window/MainWindow.h"

namespace kex {

void MainWindow::CheckPassword(const std::string&) {}

void MainWindow::OpenPasswordPrompt(TSpeedButton*) {}

void MainWindow::PasswordEntered(const std::string&) {}

void MainWindow::RestoreCaptionAfterPrompt() {}

} // namespace kex
