// Button passwords and the modify lockout. No password file is kept yet: every button
// is unprotected and the bar is never locked.
#include "app/UKexbar.h"

namespace kex {

void TForm1::CheckPassword(const std::string&) {}

void TForm1::OpenPasswordPrompt(TSpeedButton*) {}

void TForm1::PasswordEntered(const std::string&) {}

void TForm1::RestoreCaptionAfterPrompt() {}

} // namespace kex
