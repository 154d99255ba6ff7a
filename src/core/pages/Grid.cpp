#include "core/pages/Grid.h"

#include "core/launch/CommandLine.h"

namespace kex {

std::string HintFromDescription(std::string_view description)
{
    std::string hint(description);
    int breaks = 0;
    for (char& c : hint)
        if (c == '~' && breaks < 7) {
            c = '\n';
            ++breaks;
        }
    return hint;
}

std::string ButtonHint(std::string_view program, std::string_view description, std::string_view parameters)
{
    std::string name = ProgramLabel(program);
    if (!parameters.empty() && parameters > std::string_view(" ")) {
        name += ' ';
        name.append(parameters);
    }
    if (name.empty())
        return std::string(kBlankButtonHint);
    if (!description.empty())
        return HintFromDescription(description);
    return name;
}

} // namespace kex
