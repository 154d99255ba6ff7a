// Button configuration that arrives with the button menu's configure commands, the
// icon picker and the recent list. Until then: no recent entries are kept, a file
// with several icons gives its first, and the description and parameter editors are
// not offered.
#include "app/UKexbar.h"

namespace kex {

void TForm1::RecentAdd(const std::string&) {}

void TForm1::RecentReplace(const std::string&, const std::string&) {}

int TForm1::PickIcon(const std::string&) { return 0; }

void TForm1::ButtonTextEntered(const std::string&, const std::string&) {}

} // namespace kex
