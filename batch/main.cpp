// dovra-batch: runs a design task from a configuration file with no window.

#include <iostream>
#include <string>
#include <vector>

#include "BatchOptions.h"
#include "BatchRunner.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    auto options = dovra::batch::parseArguments(args, error);
    if (!options) {
        std::cerr << "dovra-batch: " << error << "\n" << dovra::batch::usageText();
        return dovra::batch::kCannotRun;
    }
    if (options->help) {
        std::cout << dovra::batch::usageText();
        return dovra::batch::kSuccess;
    }
    return dovra::batch::runBatch(*options, std::cout, std::cerr);
}
