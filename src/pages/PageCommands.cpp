#include "app/ConfigTool.h"

namespace kex {

std::vector<ConfigCommand> PageCommands() { return {}; }

} // namespace kex
