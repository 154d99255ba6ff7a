#include "core/keyboard/StayOnTop.h"

namespace kex {

TStayOnTop TopButtonKey(const TBarGeometryInput& bar)
{
    TBarGeometryInput switched = bar;
    switched.OnTop = !bar.OnTop;
    const TBarGeometry g = ComputeGeometry(switched);
    TStayOnTop result;
    result.OnTop = switched.OnTop;
    result.WindowWidth = g.WindowWidth;
    result.WindowHeight = g.WindowHeight;
    result.NotebookWidth = g.NotebookWidth;
    result.HorzScrollRange = g.HorzScrollRange;
    return result;
}

} // namespace kex
