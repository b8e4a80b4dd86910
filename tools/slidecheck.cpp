// Checks a game folder: reads its game.xml and every slide with the game's own code and
// prints the game's message for each slide it could not show, then a warning for each
// exercise that does not explain its answer. Needs no display.
//
//   slidecheck [GAME_FOLDER]      (default: the working folder)
//   slidecheck --help
//
// Exit status 0 when the configuration and every slide load (warnings do not count), 1
// otherwise, 2 on bad usage.

#include "tools/CSlideChecker.h"

#include "platform/CApplication.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

const char USAGE[] =
    "usage: slidecheck [GAME_FOLDER]\n"
    "Reads GAME_FOLDER/game.xml (default: the working folder) and every slide as the game does\n"
    "and prints the game's message for each slide it could not show.\n";

} // namespace

int main(int argc, char** argv) {
    const std::string first = argc >= 2 ? argv[1] : "";
    if (first == "--help" || first == "-h") {
        std::fputs(USAGE, stdout);
        return 0;
    }
    if (argc > 2 || (first.size() > 1 && first[0] == '-')) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    const char* folder = argc == 2 ? argv[1] : ".";
    // Slides and examples are named relative to the game's working folder.
    if (::chdir(folder) != 0) {
        std::fprintf(stderr, "slidecheck: cannot enter %s: %s\n", folder, std::strerror(errno));
        return 1;
    }
    // Elements may use the platform while they prepare; it must never need a screen here.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    CApplication application(argc, argv);

    const CSlideChecker::Report report = CSlideChecker::Check("game.xml");
    if (!report.configLoaded)
        std::printf("%s\n", CSlideChecker::ConfigMessage());
    else if (report.examplesFound == 0)
        std::printf("%s\n", CSlideChecker::NoExamplesMessage());
    for (const CSlideChecker::Failure& failure : report.failures)
        std::printf("%s\n", CSlideChecker::Message(failure).c_str());
    for (const CSlideChecker::Warning& warning : report.warnings)
        std::printf("%s\n", CSlideChecker::Message(warning).c_str());
    std::printf("%s\n", CSlideChecker::Summary(report).c_str());
    return report.Passed() ? 0 : 1;
}
