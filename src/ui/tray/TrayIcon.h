#pragma once

#include "ui/pages/PageHooks.h"

namespace kex {

// The tray icon that stands in for the bar while it hides. The tray component has not
// arrived: there is no icon, so the bar never hides itself (a desktop without a tray
// must keep the bar in sight).
class TrayIcon : public TrayPresence {
public:
    // Shows or removes the icon.
    void Activate(bool) override {}
    // Whether a working icon shows, one that brings the bar back.
    bool Showing() const override { return false; }
};

} // namespace kex
