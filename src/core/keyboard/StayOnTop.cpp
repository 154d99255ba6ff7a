#include "core/keyboard/StayOnTop.h"

namespace kex {

OnTopSwitch TopButtonKey(const BarGeometryInput& bar)
{
    BarGeometryInput switched = bar;
    switched.OnTop = !bar.OnTop;
    const BarGeometry g = ComputeGeometry(switched);
    OnTopSwitch result;
    result.OnTop = switched.OnTop;
    result.WindowWidth = g.WindowWidth;
    result.WindowHeight = g.WindowHeight;
    result.NotebookWidth = g.NotebookWidth;
    result.HorzScrollRange = g.HorzScrollRange;
    return result;
}

} // namespace kex
