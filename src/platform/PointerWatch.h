// The pointer's motion watched on the X display without a round trip while it rests:
// XInput 2 raw motion events on the root window, on a connection of the watch's own.
#pragma once

#include <functional>
#include <memory>

#include "platform/TPlatform.h"

namespace kex {

// A watch on the display the application runs on; none when it is no X display or
// the server offers no XInput 2.
std::unique_ptr<PointerWatch> MakeX11PointerWatch(std::function<void()> moved);

} // namespace kex
