#include "core/system/Power.h"

namespace kex {

std::string PowerRefusalMessage(PowerAction action, const std::string& reason)
{
    std::string text =
        action == PowerAction::PowerOff ? "The computer could not be shut down" : "The computer could not be restarted";
    return reason.empty() ? text + "." : text + ": " + reason;
}

} // namespace kex
