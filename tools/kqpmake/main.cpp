#include <iostream>
#include <string>
#include <vector>

#include "kqpmake_tool.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return kqpmake::RunKqpmake(args, std::cout, std::cerr);
}
