// dovra-batch: runs a design task from a configuration file with no window.
// With --plots the plot images are drawn on Qt's offscreen platform, so no
// display is needed; without it Qt is not started at all.

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "BatchOptions.h"
#include "BatchRunner.h"

#if DOVRA_BATCH_PLOTS
#include <QApplication>

#include "plot/PlotImages.h"
#include "screen/OffscreenMessages.h"
#endif

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    auto options = dovra::batch::parseArguments(args, error);
    if (!options) {
        std::cerr << "dovra-batch: " << error << "; dovra-batch --help lists the options\n";
        return dovra::batch::kCannotRun;
    }
    if (options->help) {
        std::cout << dovra::batch::usageText();
        return dovra::batch::kSuccess;
    }
    dovra::batch::PlotWriter writer;
#if DOVRA_BATCH_PLOTS
    std::unique_ptr<QApplication> app;
    if (options->plots) {
        // Offscreen whatever the environment says: a script's images must
        // not depend on a display being there.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        dovra::gui::quietOffscreenMessages();
        app = std::make_unique<QApplication>(argc, argv);
        writer = [](dovra::DesignSession& session, const std::string& folder) {
            return dovra::gui::writePlotImages(session, folder).error;
        };
    }
#else
    if (options->plots) {
        std::cerr << "dovra-batch: --plots is not available: this build has no window toolkit\n";
        return dovra::batch::kCannotRun;
    }
#endif
    return dovra::batch::runBatch(*options, std::cout, std::cerr, writer);
}
