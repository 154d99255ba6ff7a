// The window's entry in the desktop's taskbar and pager (X11; elsewhere nothing).
#pragma once

class QWidget;

namespace kex {

// Works on a shown window and on one about to be shown.
void SetTaskbarEntry(QWidget& window, bool entry);

} // namespace kex
