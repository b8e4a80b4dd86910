// Shows one slide file in a window, for slide authors and for looking at layouts.
//
//   slideviewer SLIDE.xml [EXAMPLES_FOLDER] [--grab OUT.png [--pointer X,Y]]
//   slideviewer --help
//
// With --grab the slide is saved as an image and the viewer ends (works without a display
// under QT_QPA_PLATFORM=offscreen); --pointer first moves the pointer to that pixel of the
// image, so that a plot there shows its read-out. Loading errors are printed with the game's
// messages.

#include "game/CGameContext.h"
#include "game/CGameSlide.h"
#include "platform/CApplication.h"
#include "platform/CDirectory.h"
#include "platform/CPointer.h"
#include "platform/CText.h"
#include "platform/CWnd.h"

#include <tinyxml2.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Options {
    std::string slide;
    std::string examples;
    std::string grab;
    std::optional<CPoint> pointer;
};

const char USAGE[] =
    "usage: slideviewer SLIDE.xml [EXAMPLES_FOLDER] [--grab OUT.png [--pointer X,Y]]\n"
    "Shows one slide file in a window; run it in the game folder, where the slide's examples\n"
    "are found. --grab saves the slide as an image instead and ends; --pointer puts the\n"
    "pointer on pixel X,Y of that image first (a plot there shows its read-out).\n";

// Two numbers from 0 separated by a comma, nothing else.
std::optional<CPoint> ParsePoint(const std::string& text) {
    CPoint point;
    const char* end = text.data() + text.size();
    const auto x = std::from_chars(text.data(), end, point.x);
    if (x.ec != std::errc() || x.ptr == end || *x.ptr != ',')
        return std::nullopt;
    const auto y = std::from_chars(x.ptr + 1, end, point.y);
    if (y.ec != std::errc() || y.ptr != end || point.x < 0 || point.y < 0)
        return std::nullopt;
    return point;
}

// False on bad usage: an option it does not know, --grab without its file, --pointer without
// a point or without --grab, too few or too many names. A name starting with "-" is taken for
// an option, never for a slide.
bool ParseArguments(int argc, char** argv, Options& options) {
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--grab" && i + 1 < argc)
            options.grab = argv[++i];
        else if (arg == "--pointer" && i + 1 < argc) {
            options.pointer = ParsePoint(argv[++i]);
            if (!options.pointer)
                return false;
        } else if (arg.size() > 1 && arg[0] == '-')
            return false;
        else
            positional.push_back(arg);
    }
    if (positional.empty() || positional.size() > 2 || (options.pointer && options.grab.empty()))
        return false;
    options.slide = positional[0];
    if (positional.size() == 2)
        options.examples = positional[1];
    return true;
}

int Fail(const std::string& slide, int code) {
    std::fprintf(stderr, "Could not load the slide %s\nError: %s\n", slide.c_str(),
                 CText::ToNarrow(game::ErrorMessage(code)).c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(USAGE, stdout);
            return 0;
        }
    Options options;
    if (!ParseArguments(argc, argv, options)) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    CApplication app(argc, argv);
    game::CGameContext master;
    master.m_textFont.CreatePointFont(120, L"Times");
    master.m_tooltipFont.CreatePointFont(80, L"Times");
    if (!options.examples.empty())
        master.AddExampleFolder(CText::ToWide(options.examples));

    tinyxml2::XMLDocument document(true, tinyxml2::COLLAPSE_WHITESPACE);
    if (document.LoadFile(CDirectory::NativePath(CText::ToWide(options.slide)).c_str()) !=
            tinyxml2::XML_SUCCESS ||
        document.RootElement() == nullptr)
        return Fail(options.slide, game::ERR_OPEN_SLIDE);

    game::CGameSlide slide(master, CText::ToWide(options.slide));
    CRect area{0, 0, 1000, 700};
    if (const int code = slide.ReadXml(*document.RootElement(), area, WS_CHILD);
        code != game::ERR_NONE)
        return Fail(options.slide, code);

    CWnd host;
    const CRect frame{100, 100, 100 + area.right + 10, 100 + area.bottom + 10};
    host.Create(L"SlideViewer", CText::ToWide(options.slide), 0, frame, nullptr, 0);
    if (const int code = slide.CreateElementWindow(&host, 1000); code != game::ERR_NONE)
        return Fail(options.slide, code);
    slide.ShowWindow(true);
    host.ShowWindow(true);
    if (!options.grab.empty()) {
        CApplication::ProcessMessagesFor(200);
        if (options.pointer && !CPointer::MoveOver(host, *options.pointer)) {
            std::fprintf(stderr, "The point %d,%d lies outside the slide\n", options.pointer->x,
                         options.pointer->y);
            return 2;
        }
        CApplication::ProcessMessagesFor(50);
        return host.SaveImage(CText::ToWide(options.grab)) ? 0 : 1;
    }
    return CApplication::Run();
}
