// Slide files and examples as a hostile folder can present them: files that are no files,
// names that are no UTF-8, and slides far beyond any real one.
#include "common/CTempFolder.h"
#include "common/CWaveBytes.h"

#include "dsp/CSignal.h"
#include "game/CGameContext.h"
#include "game/CGameSlide.h"
#include "game/CWavePlot.h"
#include "game/ElementError.h"
#include "platform/CText.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Runs the opening on a thread of its own; an open that waits is released by a writer so that
// the test ends either way, and reported.
template <typename Open> bool ReturnsAtOnce(const std::string& fifo, Open open) {
    auto done = std::async(std::launch::async, open);
    const bool prompt = done.wait_for(2s) == std::future_status::ready;
    // A writer that comes and goes lets a waiting open return and a waiting read end.
    while (done.wait_for(0s) != std::future_status::ready) {
        const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
        std::this_thread::sleep_for(50ms);
        ::close(writer);
    }
    return prompt;
}

TEST(HostileFiles, AFifoWhereAFileShouldBeFailsAtOnce) {
    CTempFolder folder;
    const std::string fifo = CText::ToNarrow(folder.PathOf("pipe.wav"));
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::wstring path = CText::ToWide(fifo);
    int code = -1;
    EXPECT_TRUE(ReturnsAtOnce(fifo, [&] {
        dsp::CSignal signal;
        code = signal.LoadWave(path);
    }));
    EXPECT_NE(code, 0);
    EXPECT_TRUE(ReturnsAtOnce(fifo, [&] {
        tinyxml2::XMLDocument document;
        code = game::CGameSlide::LoadDocument(path, document);
    }));
    EXPECT_EQ(code, game::ERR_OPEN_SLIDE);
}

// The text beside an example is read for the tooltip; a FIFO there must not hold the preparer.
TEST(HostileFiles, AFifoBesideAnExampleIsNoTooltip) {
    CTempFolder folder;
    folder.Write("ton.wav", CWaveBytes::Mono16({0, 1000, -1000, 0}));
    const std::string fifo = CText::ToNarrow(folder.PathOf("ton.txt"));
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string cell =
        "<wave id='1' tooltip='1' example='" + CText::ToNarrow(folder.PathOf("ton.wav")) + "'/>";
    tinyxml2::XMLDocument document;
    ASSERT_EQ(document.Parse(cell.c_str()), tinyxml2::XML_SUCCESS);
    game::CGameContext context;
    game::CWavePlot plot(&context);
    CRect area{0, 0, 200, 100};
    ASSERT_EQ(plot.ReadXml(*document.RootElement(), area, 0), game::ERR_NONE);
    int code = -1;
    EXPECT_TRUE(ReturnsAtOnce(fifo, [&] { code = plot.Prepare(); }));
    EXPECT_EQ(code, game::ERR_NONE);
}

// A name written by another system keeps its bytes: listed, picked and loaded.
TEST(HostileFiles, ExampleNamesThatAreNotUtf8AreOpenedByteForByte) {
    CTempFolder folder;
    const std::string names[] = {"\xE4rger.wav", "caf\xC3\xA9\xFF.wav", "\xC3.wav"};
    for (const std::string& name : names)
        std::ofstream(CText::ToNarrow(folder.Folder()) + "/" + name, std::ios::binary)
            << CWaveBytes::Mono16({0, 1000, -1000, 0});
    game::CGameContext context;
    ASSERT_EQ(context.AddExampleFolder(folder.Folder()), 3);
    for (int i = 0; i < 3; ++i) {
        const std::wstring picked = context.GetRandomExample();
        dsp::CSignal signal;
        EXPECT_EQ(signal.LoadWave(picked), 0) << i;
        EXPECT_EQ(signal.GetSampleCount(), 4) << i;
    }
}

struct LimitCase {
    const char* name;
    std::string xml;
};

std::string Repeat(const std::string& part, int count) {
    std::string all;
    for (int i = 0; i < count; ++i)
        all += part;
    return all;
}

std::string Nested(int depth) {
    return "<GameSlide>" + Repeat("<table rows=\"0\" cols=\"0\">", 1) +
           Repeat("<row>", depth) + Repeat("</row>", depth) + "</table></GameSlide>";
}

// Slides no author writes are refused quickly with the memory message, and sizes that would
// overflow do not wrap into something small.
TEST(HostileFiles, SlidesBeyondTheLimitsAreRefused) {
    using game::CGameSlide;
    const LimitCase refused[] = {
        {"a row of many texts",
         "<GameSlide><table rows=\"1\" cols=\"3000\"><row>" + Repeat("<static/>", 3000) +
             "</row></table></GameSlide>"},
        {"many empty tables",
         "<GameSlide>" + Repeat("<table rows=\"0\" cols=\"0\"/>", 3000) + "</GameSlide>"},
        {"deep nesting", Nested(CGameSlide::MAX_DEPTH)},
        {"a text as wide as int", "<GameSlide><static width=\"2000000000\"/></GameSlide>"},
        {"a cell default beyond the limit",
         "<GameSlide><opt height=\"-2000000000\"/><static/></GameSlide>"},
        {"texts that add up beyond the limit",
         "<GameSlide>" + Repeat("<static height=\"90000\"/>", 30) + "</GameSlide>"},
    };
    game::CGameContext master;
    for (const LimitCase& c : refused) {
        tinyxml2::XMLDocument document;
        ASSERT_EQ(document.Parse(c.xml.c_str()), tinyxml2::XML_SUCCESS) << c.name;
        CGameSlide slide(master, L"gross.xml");
        CRect area{0, 0, 1000, 700};
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(slide.ReadXml(*document.RootElement(), area, 0), game::ERR_MEMORY) << c.name;
        EXPECT_LT(std::chrono::steady_clock::now() - start, 1s) << c.name;
    }
    // Just inside every limit the slide still reads.
    tinyxml2::XMLDocument document;
    ASSERT_EQ(document.Parse(("<GameSlide>" + Repeat("<static width=\"99000\" height=\"3\"/>", 1000) +
                              "</GameSlide>").c_str()),
              tinyxml2::XML_SUCCESS);
    CGameSlide slide(master, L"gross.xml");
    CRect area{0, 0, 1000, 700};
    EXPECT_EQ(slide.ReadXml(*document.RootElement(), area, 0), game::ERR_NONE);
}

TEST(HostileFiles, SlideFilesBeyondTheSizeLimitAreNotRead) {
    CTempFolder folder;
    const std::string body = "<GameSlide>" + std::string(game::CGameSlide::MAX_FILE_BYTES, ' ') + "</GameSlide>";
    tinyxml2::XMLDocument document;
    EXPECT_EQ(game::CGameSlide::LoadDocument(folder.Write("big.xml", body), document),
              game::ERR_MEMORY);
    EXPECT_EQ(game::CGameSlide::LoadDocument(folder.Write("ok.xml", "<GameSlide/>"), document),
              game::ERR_NONE);
}

} // namespace
