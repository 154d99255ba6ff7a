// kexbar-config FILE COMMAND ARGS...: the configuration file from the command line,
// with the bar's own rules and lock.
#include <iostream>
#include <string>
#include <vector>

#include "core/config/ConfigTool.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv, argv + argc);
    int rc = kex::RunConfigTool(args, std::cout, std::cerr);
    std::cout.flush();
    return rc;
}
