// A game folder as a careless or hostile author can leave it: examples the game cannot play,
// element sizes no screen holds, a FIFO where game.xml should be, slides beyond the size
// limit. The checker, reading as the game does, names the element and the reason.
#include "common/CTempFolder.h"
#include "common/CWaveBytes.h"
#include "game/CGameSlide.h"
#include "game/ElementError.h"
#include "platform/CText.h"
#include "tools/CSlideChecker.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <map>
#include <thread>

namespace {

using namespace game;
using namespace std::chrono_literals;
using W = CWaveBytes;

const std::string GAME = "<game><audioexamples>examples</audioexamples><slides>slides</slides>"
                         "<course titel='Kurs'><slide>slides/a.xml</slide></course></game>";

std::string OneCell(const std::string& cell, const std::string& before = "") {
    return "<GameSlide>" + before + "<table rows='1' cols='1'><row>" + cell +
           "</row></table></GameSlide>";
}

// Checks the game in the folder from inside it, on a thread of its own: a check that waits on
// a FIFO is released by a writer coming and going, so the test ends either way; prompt tells
// whether it had to be.
CSlideChecker::Report CheckIn(const CTempFolder& folder, bool* prompt = nullptr) {
    const auto home = std::filesystem::current_path();
    std::filesystem::current_path(folder.Folder());
    auto done = std::async(std::launch::async, [] { return CSlideChecker::Check("game.xml"); });
    const bool ready = done.wait_for(2s) == std::future_status::ready;
    while (done.wait_for(0s) != std::future_status::ready) {
        const int writer = ::open("game.xml", O_RDWR | O_NONBLOCK);
        std::this_thread::sleep_for(50ms);
        ::close(writer);
    }
    CSlideChecker::Report report = done.get();
    std::filesystem::current_path(home);
    if (prompt != nullptr)
        *prompt = ready;
    return report;
}

CSlideChecker::Failure OnlyFailure(const CSlideChecker::Report& report) {
    EXPECT_TRUE(report.configLoaded);
    return report.failures.empty() ? CSlideChecker::Failure{L"", ERR_NONE}
                                   : report.failures.front();
}

TEST(HostileInput, ExamplesTheGameCannotPlayAreRefusedWithTheReason) {
    const std::string tone = W::Chunk("data", W::Pcm16({0, 9000, -9000, 0}));
    // Ten minutes and a bit at 8 kHz, declared in the header and there as a sparse file.
    const std::uint32_t longBytes = 2 * 8000 * 601;
    const std::string longHeader =
        W::Riff(W::Chunk("fmt ", W::Format(1, 8000, 2, 16)) + "data" + W::Le32(longBytes));
    const std::string floatFormat = W::Le16(3) + W::Format(1, 8000, 4, 32).substr(2);
    const struct {
        const char* name;
        std::string bytes;
        std::uintmax_t sparseSize;
        const char* reason; // empty: the slide loads
    } cases[] = {
        {"ten minutes and a bit", longHeader, longHeader.size() + longBytes, "dauert 601 s"},
        {"40 Hz", W::Riff(W::Chunk("fmt ", W::Format(1, 40, 2, 16)) + tone), 0, "40 Hz"},
        {"1e9 Hz", W::Riff(W::Chunk("fmt ", W::Format(1, 1000000000, 2, 16)) + tone), 0,
         "1000000000 Hz"},
        {"24 bits", W::Riff(W::Chunk("fmt ", W::Format(1, 8000, 3, 24)) + W::Chunk("data", "abc")),
         0, "hat 24 Bit je Abtastwert; das Spiel liest nur 8 und 16 Bit."},
        {"float", W::Riff(W::Chunk("fmt ", floatFormat) + W::Chunk("data", "abcd")), 0,
         "Gleitkomma"},
        {"missing", "", 0, "fehlt"},
        {"four samples at the lowest rate",
         W::Riff(W::Chunk("fmt ", W::Format(1, 1000, 2, 16)) + tone), 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder folder;
        folder.Write("game.xml", GAME);
        folder.Write("slides/a.xml", OneCell("<wave id='3' example='examples/x.wav'/>"));
        if (!c.bytes.empty())
            folder.Write("examples/x.wav", c.bytes);
        if (c.sparseSize != 0)
            std::filesystem::resize_file(folder.PathOf("examples/x.wav"), c.sparseSize);
        const auto start = std::chrono::steady_clock::now();
        const CSlideChecker::Failure failure = OnlyFailure(CheckIn(folder));
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
        if (*c.reason == '\0') {
            EXPECT_EQ(failure.code, ERR_NONE);
            continue;
        }
        EXPECT_EQ(failure.code, ERR_EXAMPLE_NOT_FOUND);
        EXPECT_EQ(failure.element, 3);
        EXPECT_NE(CText::ToNarrow(failure.reason).find(c.reason), std::string::npos)
            << CText::ToNarrow(failure.reason);
        EXPECT_NE(CSlideChecker::Message(failure).find("\nReason: Die Datei examples/x.wav "),
                  std::string::npos);
    }
}

// Sizes an author wrote are held to 1..4096 pixels; a missing size keeps its default.
TEST(HostileInput, ElementSizesNoScreenHoldsAreRefused) {
    const std::string wave = "<wave id='4' example='examples/ton.wav'";
    const struct {
        std::string slide;
        int element;
        const char* reason; // empty: the slide loads
    } cases[] = {
        {OneCell(wave + " width='0'/>"), 4,
         "Das Element 4 ist 0 Pixel breit; erlaubt sind 1 bis 4096 Pixel."},
        {OneCell(wave + " height='-5'/>"), 4, "ist -5 Pixel hoch"},
        {OneCell(wave + " width='99000' height='99000'/>"), 4, "99000 Pixel breit"},
        {OneCell("<notch id='6' example='examples/ton.wav' width='30000' height='30000'/>"), 6,
         "30000 Pixel breit"},
        {OneCell("<static width='5000'>Text</static>"), 0, "Ein <static>-Element ist 5000"},
        {"<GameSlide><static height='0'>Text</static></GameSlide>", 0, "0 Pixel hoch"},
        {OneCell(wave + "/>", "<opt width='4097'/>"), 0, "Ein <opt>-Element ist 4097"},
        {OneCell(wave + " width='4096' height='1'/>"), 0, ""},
        {OneCell(wave + "/>", "<opt width='300'/>"), 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slide);
        CTempFolder folder;
        folder.Write("game.xml", GAME);
        folder.Write("examples/ton.wav", W::Mono16({0, 9000, -9000, 0}));
        folder.Write("slides/a.xml", c.slide);
        const CSlideChecker::Failure failure = OnlyFailure(CheckIn(folder));
        EXPECT_EQ(failure.code, *c.reason == '\0' ? ERR_NONE : ERR_MEMORY);
        EXPECT_EQ(failure.element, c.element);
        EXPECT_NE(CText::ToNarrow(failure.reason).find(c.reason), std::string::npos)
            << CText::ToNarrow(failure.reason);
    }
}

// A FIFO as game.xml fails at once instead of holding the game; a slide beyond the size limit
// is not read into the catalogue of the random tasks.
TEST(HostileInput, AFifoConfigurationAndAnOversizedSlideAreNotRead) {
    const std::string oversized =
        "<GameSlide>" + std::string(CGameSlide::MAX_FILE_BYTES, ' ') + "</GameSlide>";
    for (const bool fifo : {true, false}) {
        CTempFolder folder;
        folder.Write("slides/a.xml", OneCell("<static>Text</static>"));
        folder.Write("slides/gross.xml", oversized);
        if (fifo)
            ASSERT_EQ(mkfifo(CText::ToNarrow(folder.PathOf("game.xml")).c_str(), 0600), 0);
        else
            folder.Write("game.xml", GAME);
        bool prompt = false;
        const CSlideChecker::Report report = CheckIn(folder, &prompt);
        EXPECT_TRUE(prompt) << fifo;
        EXPECT_EQ(report.configLoaded, !fifo);
        EXPECT_EQ(report.slidesChecked, fifo ? 0 : 1) << "the oversized slide was read";
    }
}

} // namespace
