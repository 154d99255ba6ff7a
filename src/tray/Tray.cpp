// The tray icon that stands in for the bar while it hides; it arrives with the tray
// component, and until then the bar never hides.
#include "app/UKexbar.h"

namespace kex {

void TForm1::TrayActivate(bool) {}

bool TForm1::TrayIconShowing() const { return false; }

} // namespace kex
