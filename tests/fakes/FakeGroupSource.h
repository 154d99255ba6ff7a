// A GroupSource for tests: the groups it answers (nothing: they cannot be read), a
// count of the reads, and "xterm -e" as the terminal emulator.
#pragma once

#include "core/import/GroupSource.h"

namespace kex {

class FakeGroupSource : public GroupSource {
public:
    std::optional<std::vector<ProgramGroup>> groups = std::vector<ProgramGroup>();
    int reads = 0;

    std::optional<std::vector<ProgramGroup>> ReadGroups() override
    {
        ++reads;
        return groups;
    }
    std::vector<std::string> InTerminal(const std::vector<std::string>& argv) override
    {
        std::vector<std::string> command = {"xterm", "-e"};
        command.insert(command.end(), argv.begin(), argv.end());
        return command;
    }
};

} // namespace kex
