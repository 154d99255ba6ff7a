// The bar's general mouse and keyboard hints ("Show General &Hints"): the texts of the
// help button, the tab strip, the Run button, the gauge panel, the tray icon's tail
// and the page buttons. A line break inside a text starts a new line of the hint.
#pragma once

#include <string>

namespace kex {

struct GeneralHintTexts {
    std::string help;        // the help button
    std::string tabs;        // the tab strip
    std::string run;         // the Run button
    std::string gaugeMouse;  // GaugeMouseHint: the gauge panel's mouse actions
    std::string gaugeSuffix; // GaugeHintSuffix: a line break and GaugeMouseHint
    std::string trayTail;    // TrayHintTail: after the tray icon's hint
    std::string button;      // ButtonHintText: every page button when it is made

    bool operator==(const GeneralHintTexts&) const = default;
};

// The hints while general hints are on; every text is empty while they are off.
GeneralHintTexts GeneralHints(bool on);

} // namespace kex
