// A game folder as a careless or hostile author can leave it; the checker, reading as the game
// does, refuses each fault quickly, naming element and reason; just inside each limit it reads.
#include "SlideCheck.h"

#include "game/CGameSlide.h"
#include "game/ElementError.h"

#include <gtest/gtest.h>

namespace {

using namespace game;
using namespace std::chrono_literals;
using W = CWaveBytes;

std::string OneCell(const std::string& cell, const std::string& before = "") {
    return "<GameSlide>" + before + "<table rows='1' cols='1'><row>" + cell +
           "</row></table></GameSlide>";
}

std::string Repeat(const std::string& part, int count) {
    std::string all;
    while (count-- > 0)
        all += part;
    return all;
}

// Hidden filters on the example of element 1.
std::string Filters(const std::string& filters) {
    return OneCell("<wave id='1' example='examples/x.wav'/>", "<hidden>" + filters + "</hidden>");
}

std::string Filter(int id, int from, const std::string& children) {
    return "<afilter id='" + std::to_string(id) + "' example_from='" + std::to_string(from) + "'>" +
           children + "</afilter>";
}

TEST(HostileInput, AreRefusedQuicklyWithElementAndReason) {
    const std::string tone = W::Chunk("data", W::Pcm16({0, 9000, -9000, 0}));
    const auto format = [&](std::uint32_t rate) {
        return W::Riff(W::Chunk("fmt ", W::Format(1, rate, 2, 16)) + tone);
    };
    // Ten minutes and a bit at 8 kHz, declared in the header and there as a sparse file.
    const std::uint32_t longBytes = 2 * 8000 * 601;
    const std::string longHeader =
        W::Riff(W::Chunk("fmt ", W::Format(1, 8000, 2, 16)) + "data" + W::Le32(longBytes));
    const std::string floatFormat = W::Le16(3) + W::Format(1, 8000, 4, 32).substr(2);
    // 30 s at 44.1 kHz, the longest example a slide reasonably has, and half a second.
    const std::string thirty = W::Mono16(std::vector<std::int16_t>(30 * 44100, 900), 44100);
    const std::string half = W::Mono16(std::vector<std::int16_t>(4000, 900));
    const std::string x = "<wave id='3' example='examples/x.wav'", wave = x + "/>";
    const struct {
        std::string bytes; // of examples/x.wav; empty: none
        std::string slide;
        int code, element;
        const char* reason; // in the message the author reads
        std::uintmax_t sparseSize = 0;
        std::string fifo = "";
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
        {half, OneCell(x + " record='31'/>"), ERR_UNKNOWN_ELEMENT, 3,
         "Zeile 1: Die Aufnahmedauer record=\"31\" ist keine Zahl von 1 bis 30 Sekunden."},
        {half, OneCell("<wave id='3' example_from='2' record='2'/>"), ERR_UNKNOWN_ELEMENT, 3,
         "braucht ein eigenes Beispiel"},
        {format(8000), OneCell(wave, "<opt width='300'/>"), ERR_NONE, 0, ""},
        {"", OneCell(wave), ERR_EXAMPLE_NOT_FOUND, 3, "examples/x.wav", 0, "examples/x.wav"},
        {half, "", ERR_OPEN_SLIDE, 0, "slides/a.xml", 0, "slides/a.xml"},
        {half, "<GameSlide>" + std::string(CGameSlide::MAX_FILE_BYTES, ' ') + "</GameSlide>",
         ERR_MEMORY, 0, "Limit: file larger than"},
        {half, "<GameSlide><table rows='0' cols='0'>" + Repeat("<row>", CGameSlide::MAX_DEPTH) +
                   Repeat("</row>", CGameSlide::MAX_DEPTH) + "</table></GameSlide>",
         ERR_MEMORY, 0, "Limit: elements nested deeper than 12"},
        {half, "<GameSlide><opt height='-2000000000'/><static/></GameSlide>", ERR_MEMORY, 0,
         "Limit: height beyond 100000 pixels"},
        {half, "<GameSlide>" + Repeat("<static height='4096'/>", 30) + "</GameSlide>", ERR_MEMORY,
         0, "Error: Memory alocation error"}, // the slide, not one element, is too tall
        {half, "<GameSlide>" + Repeat("<static width='4096' height='3'/>", 1000) + "</GameSlide>",
         ERR_NONE, 0, ""},
        {thirty, Filters(Filter(3, 1, "<b order='8000'>" + Repeat("0.5 ", 8000) + "</b>")), ERR_MEMORY, 3,
         "höchstens 75 Koeffizienten"},
        {half, Filters(Filter(3, 1, "<b order='400000'>" + Repeat("0.5 ", 400000) + "</b>")), ERR_MEMORY,
         3, "zu aufwendig"},
        {half, Filters(Filter(3, 1, "<a order='2'>0 1</a>")), ERR_MISSING_ELEMENT, 3, "a[0]"},
        {half, Filters(Filter(3, 1, "<a order='1'>1e-45</a>")), ERR_MISSING_ELEMENT, 3, "so klein"},
        {half, Filters(Filter(3, 1, "<a order='2'>1e-39 0.5</a>")), ERR_MISSING_ELEMENT, 3,
         "überlaufen"},
        {half, Filters(Filter(4, 1, "<a order='1'>1e-30</a><b order='1'>1e10</b>")),
         ERR_MISSING_ELEMENT, 4, "überlaufen"},
        {half, Filters(Filter(3, 1, "<b order='2'>1 nan</b>")), ERR_MISSING_ELEMENT, 3,
         "Stelle 2 keine Dezimalzahl: \u201Enan\u201C"},
        {half, Filters(Filter(3, 1, "<a order='1'>-inf</a>")), ERR_MISSING_ELEMENT, 3,
         "<a> hat an Stelle 1 keine Dezimalzahl"},
        {half, Filters(Filter(3, 1, "<b order='1'>0x10</b>")), ERR_MISSING_ELEMENT, 3,
         "\u201E0x10\u201C"},
        {half, Filters(Filter(3, 1, "<b order='1'>+-1</b>")), ERR_MISSING_ELEMENT, 3,
         "\u201E+-1\u201C"},
        {half, Filters(Filter(3, 1, "<b order='1'>1e39</b>")), ERR_MISSING_ELEMENT, 3,
         "Zahlenbereich"},
        {half, Filters(Filter(3, 3, "<b order='1'>1</b>")), ERR_EXAMPLE_NOT_FOUND, 3,
         "Element 3 wird von sich selbst gespeist."},
        {half, Filters(Filter(5, 2, "<b>1</b>") + Filter(2, 5, "<b>1</b>")), ERR_EXAMPLE_NOT_FOUND,
         5, "Die Filter 2 und 5 speisen sich gegenseitig im Kreis."},
        {half,
         Filters(Filter(9, 2, "<b>1</b>") + Filter(2, 7, "<b>1</b>") + Filter(7, 6, "<b>1</b>") +
                 Filter(6, 2, "<b>1</b>")),
         ERR_EXAMPLE_NOT_FOUND, 2, "Die Filter 2, 6 und 7 speisen"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slide.substr(0, 200) + " " + c.reason);
        CTempFolder folder;
        folder.Write("game.xml", slidecheck::Game({"slides/a.xml"}));
        folder.Write("slides/gut.xml", "<GameSlide/>"); // for the random tasks
        if (!c.slide.empty())
            folder.Write("slides/a.xml", c.slide);
        if (!c.bytes.empty())
            folder.Write("examples/x.wav", c.bytes);
        if (c.sparseSize != 0)
            std::filesystem::resize_file(folder.PathOf("examples/x.wav"), c.sparseSize);
        [[maybe_unused]] const auto start = std::chrono::steady_clock::now();
        bool prompt = false;
        const CSlideChecker::Report report = slidecheck::CheckIn(folder, c.fifo, &prompt);
        // A refusal that did the work it refuses, or waited on a FIFO, takes minutes here; the
        // sanitizers' own cost says nothing about that.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
        EXPECT_TRUE(prompt);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
#endif
        ASSERT_TRUE(report.configLoaded);
        ASSERT_EQ(report.failures.size(), c.code == ERR_NONE ? 0u : 1u);
        if (c.code == ERR_NONE)
            continue;
        const CSlideChecker::Failure& failure = report.failures.front();
        EXPECT_EQ(failure.code, c.code);
        EXPECT_EQ(failure.element, c.element);
        const std::string message = CSlideChecker::Message(failure);
        EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        EXPECT_EQ(message.find("Could not load the slide slides/a.xml\nError: "), 0u) << message;
        if (c.element != 0) {
            const std::string element = "\nElement: " + std::to_string(c.element) + "\nReason: ";
            EXPECT_NE(message.find(element), std::string::npos) << message;
        }
    }
}

// A FIFO as game.xml fails at once instead of holding the game; a slide beyond the size limit
// is not read into the catalogue of the random tasks.
TEST(HostileInput, AFifoConfigurationAndAnOversizedSlideAreNotRead) {
    for (const bool fifo : {true, false}) {
        CTempFolder folder;
        folder.Write("slides/a.xml", OneCell("<static>Text</static>"));
        folder.Write("slides/gross.xml",
                     "<GameSlide>" + std::string(CGameSlide::MAX_FILE_BYTES, ' ') + "</GameSlide>");
        if (!fifo)
            folder.Write("game.xml", slidecheck::Game({"slides/a.xml"}));
        bool prompt = false;
        const CSlideChecker::Report report = slidecheck::CheckIn(folder, fifo ? "game.xml" : "", &prompt);
        EXPECT_TRUE(prompt) << fifo;
        EXPECT_EQ(report.configLoaded, !fifo);
        EXPECT_EQ(report.slidesChecked, fifo ? 0 : 1) << "the oversized slide was read";
    }
}

} // namespace
