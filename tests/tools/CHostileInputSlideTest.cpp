// A game folder as a careless or hostile author can leave it: examples the game cannot play,
// element sizes no screen holds, a FIFO where game.xml should be, slides beyond the size
// limit. The checker, reading as the game does, names the element and the reason.
#include "SlideCheck.h"

#include "game/CGameSlide.h"
#include "game/ElementError.h"
#include "platform/CText.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using namespace game;
using namespace std::chrono_literals;
using W = CWaveBytes;

std::string OneCell(const std::string& cell, const std::string& before = "") {
    return "<GameSlide>" + before + "<table rows='1' cols='1'><row>" + cell +
           "</row></table></GameSlide>";
}

// Examples the game cannot play, and sizes beyond 1..4096 pixels, are refused quickly with
// the element and the reason; a missing size keeps its default.
TEST(HostileInput, ExamplesTheGameCannotPlayAreRefusedWithTheReason) {
    const std::string tone = W::Chunk("data", W::Pcm16({0, 9000, -9000, 0}));
    const auto format = [&](std::uint32_t rate) {
        return W::Riff(W::Chunk("fmt ", W::Format(1, rate, 2, 16)) + tone);
    };
    // Ten minutes and a bit at 8 kHz, declared in the header and there as a sparse file.
    const std::uint32_t longBytes = 2 * 8000 * 601;
    const std::string longHeader =
        W::Riff(W::Chunk("fmt ", W::Format(1, 8000, 2, 16)) + "data" + W::Le32(longBytes));
    const std::string floatFormat = W::Le16(3) + W::Format(1, 8000, 4, 32).substr(2);
    const std::string x = "<wave id='3' example='examples/x.wav'", wave = x + "/>";
    const struct {
        std::string bytes; // of examples/x.wav; empty: none
        std::string slide;
        int code, element;
        const char* reason;
        std::uintmax_t sparseSize = 0;
    } cases[] = {
        {longHeader, OneCell(wave), ERR_EXAMPLE_NOT_FOUND, 3, "dauert 601 s",
         longHeader.size() + longBytes},
        {format(40), OneCell(wave), ERR_EXAMPLE_NOT_FOUND, 3, "40 Hz"},
        {format(1000000000), OneCell(wave), ERR_EXAMPLE_NOT_FOUND, 3, "1000000000 Hz"},
        {W::Riff(W::Chunk("fmt ", W::Format(1, 8000, 3, 24)) + W::Chunk("data", "abc")),
         OneCell(wave), ERR_EXAMPLE_NOT_FOUND, 3,
         "hat 24 Bit je Abtastwert; das Spiel liest nur 8 und 16 Bit."},
        {W::Riff(W::Chunk("fmt ", floatFormat) + W::Chunk("data", "abcd")), OneCell(wave),
         ERR_EXAMPLE_NOT_FOUND, 3, "Gleitkomma"},
        {"", OneCell(wave), ERR_EXAMPLE_NOT_FOUND, 3, "fehlt"},
        {format(1000), OneCell(wave), ERR_NONE, 0, ""},
        {format(8000), OneCell(x + " width='0'/>"), ERR_MEMORY, 3,
         "Das Element 3 ist 0 Pixel breit; erlaubt sind 1 bis 4096 Pixel."},
        {format(8000), OneCell(x + " height='-5'/>"), ERR_MEMORY, 3, "ist -5 Pixel hoch"},
        {format(8000), OneCell(x + " width='99000' height='99000'/>"), ERR_MEMORY, 3,
         "99000 Pixel breit"},
        {format(8000), OneCell("<notch id='6' example='examples/x.wav' width='30000'/>"),
         ERR_MEMORY, 6, "30000 Pixel breit"},
        {format(8000), OneCell("<static width='5000'>Text</static>"), ERR_MEMORY, 0,
         "Ein <static>-Element ist 5000"},
        {format(8000), "<GameSlide><static height='0'>Text</static></GameSlide>", ERR_MEMORY, 0,
         "0 Pixel hoch"},
        {format(8000), OneCell(wave, "<opt width='4097'/>"), ERR_MEMORY, 0,
         "Ein <opt>-Element ist 4097"},
        {format(8000), OneCell(x + " width='4096' height='1'/>"), ERR_NONE, 0, ""},
        {format(8000), OneCell(wave, "<opt width='300'/>"), ERR_NONE, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slide + " " + c.reason);
        CTempFolder folder;
        folder.Write("game.xml", slidecheck::Game({"slides/a.xml"}));
        folder.Write("slides/a.xml", c.slide);
        if (!c.bytes.empty())
            folder.Write("examples/x.wav", c.bytes);
        if (c.sparseSize != 0)
            std::filesystem::resize_file(folder.PathOf("examples/x.wav"), c.sparseSize);
        const auto start = std::chrono::steady_clock::now();
        const CSlideChecker::Report report = slidecheck::CheckIn(folder);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
        ASSERT_TRUE(report.configLoaded);
        ASSERT_EQ(report.failures.size(), c.code == ERR_NONE ? 0u : 1u);
        if (c.code == ERR_NONE)
            continue;
        const CSlideChecker::Failure& failure = report.failures.front();
        EXPECT_EQ(failure.code, c.code);
        EXPECT_EQ(failure.element, c.element);
        EXPECT_NE(CText::ToNarrow(failure.reason).find(c.reason), std::string::npos)
            << CText::ToNarrow(failure.reason);
        if (c.code == ERR_EXAMPLE_NOT_FOUND) {
            EXPECT_NE(CSlideChecker::Message(failure).find("\nReason: Die Datei examples/x.wav "),
                      std::string::npos);
        }
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
            folder.Write("game.xml", slidecheck::Game({"slides/a.xml"}));
        bool prompt = false;
        const CSlideChecker::Report report = slidecheck::CheckIn(folder, &prompt);
        EXPECT_TRUE(prompt) << fifo;
        EXPECT_EQ(report.configLoaded, !fifo);
        EXPECT_EQ(report.slidesChecked, fifo ? 0 : 1) << "the oversized slide was read";
    }
}

} // namespace
