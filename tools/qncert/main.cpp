// qncert: imports, lists, exports and removes certificates of the folder stores, and creates
// a demonstration PKI.
#include <iostream>
#include <string>
#include <vector>

#include "CertTool.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    qncert::CertTool tool(std::cout, std::cerr);
    return tool.run(args);
}
