// Shutting the computer down or restarting it from the exit options, and the words
// the bar uses when that is refused.
#pragma once

#include <string>

namespace kex {

enum class PowerAction { PowerOff, Reboot };

// The message shown when the computer was not shut down or restarted:
// "The computer could not be shut down: <reason>" and
// "The computer could not be restarted: <reason>".
std::string PowerRefusalMessage(PowerAction action, const std::string& reason);

} // namespace kex
