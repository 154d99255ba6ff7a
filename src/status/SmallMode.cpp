// The gauge panel and small mode. The panel's refresh and the shrinking of the bar
// come with the gauge control; until then the bar always stays at full size.
#include "app/UKexbar.h"

namespace kex {

void TForm1::GasGage() {}

void TForm1::SmallSize() {}

} // namespace kex
