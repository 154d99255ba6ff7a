// The stay-on-top switch (F2 and "Stay on &Top"): the bar goes from its framed shape
// to its borderless on-top shape and back, at the sizes the start-up works out.
#pragma once

#include "core/window/Startup.h"

namespace kex {

struct OnTopSwitch {
    bool OnTop = false;  // the new state: stored as the "OnTop" setting, and the
                         // check mark of "Stay on &Top" follows it
    int WindowWidth = 0; // the new full size (outer), cut to the screen
    int WindowHeight = 0;
    int NotebookWidth = 0; // the page area, as a start with the new state has it
    int HorzScrollRange = 0;
};

// `bar` describes the bar as it stands, its OnTop the state before the switch; its
// BarTop plays no part (the bar stays where it is). The switch gives the bar its full
// size, so small mode is over after it (SmallActive off).
OnTopSwitch TopButtonKey(const BarGeometryInput& bar);

} // namespace kex
