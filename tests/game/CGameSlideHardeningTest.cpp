// Slide files and examples as a hostile folder can present them: files that are no files,
// names that are no UTF-8, and slides far beyond any real one.
#include "common/CTempFolder.h"
#include "common/CWaveBytes.h"

#include "dsp/CSignal.h"
#include "game/CGameContext.h"
#include "game/CGameSlide.h"
#include "game/CWavePlot.h"
#include "platform/CText.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <future>
#include <thread>

using namespace std::chrono_literals;

// Runs the opening on a thread of its own; an open that waits is released by a writer so that
// the test ends either way, and reported.
template <typename Open> static bool ReturnsAtOnce(const std::string& fifo, Open open) {
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

// A FIFO where an example or a slide should be fails at once; one beside an example, where
// the tooltip text is read, does not hold the preparer.
TEST(HostileFiles, FifosFailAtOnce) {
    CTempFolder folder;
    const std::string pipe = CText::ToNarrow(folder.PathOf("pipe.wav"));
    const std::string beside = CText::ToNarrow(folder.PathOf("ton.txt"));
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(beside.c_str(), 0600), 0);
    int code = -1;
    EXPECT_TRUE(ReturnsAtOnce(pipe, [&] { code = dsp::CSignal().LoadWave(CText::ToWide(pipe)); }));
    EXPECT_NE(code, 0);
    EXPECT_TRUE(ReturnsAtOnce(pipe, [&] {
        tinyxml2::XMLDocument document;
        code = game::CGameSlide::LoadDocument(CText::ToWide(pipe), document);
    }));
    EXPECT_EQ(code, game::ERR_OPEN_SLIDE);

    const std::string wave = CText::ToNarrow(folder.Write("ton.wav", CWaveBytes::Mono16({0, 1})));
    tinyxml2::XMLDocument document;
    document.Parse(("<wave id='1' tooltip='1' example='" + wave + "'/>").c_str());
    game::CGameContext context;
    game::CWavePlot plot(&context);
    CRect area{0, 0, 200, 100};
    ASSERT_EQ(plot.ReadXml(*document.RootElement(), area, 0), game::ERR_NONE);
    EXPECT_TRUE(ReturnsAtOnce(beside, [&] { code = plot.Prepare(); }));
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

static std::string Repeat(const std::string& part, int count) {
    std::string all;
    while (count-- > 0)
        all += part;
    return all;
}

// Slides no author writes are refused quickly with the memory message, and sizes that would
// overflow do not wrap into something small; just inside every limit a slide still reads.
TEST(HostileFiles, SlidesBeyondTheLimitsAreRefused) {
    const std::pair<std::string, int> cases[] = {
        {"<table rows='1' cols='3000'><row>" + Repeat("<static/>", 3000) + "</row></table>",
         game::ERR_MEMORY},
        {Repeat("<table rows='0' cols='0'/>", 3000), game::ERR_MEMORY},
        {"<table rows='0' cols='0'>" + Repeat("<row>", game::CGameSlide::MAX_DEPTH) +
             Repeat("</row>", game::CGameSlide::MAX_DEPTH) + "</table>",
         game::ERR_MEMORY},
        {"<static width='2000000000'/>", game::ERR_MEMORY},
        {"<opt height='-2000000000'/><static/>", game::ERR_MEMORY},
        {Repeat("<static height='4096'/>", 30), game::ERR_MEMORY},
        {Repeat("<static width='4096' height='3'/>", 1000), game::ERR_NONE},
    };
    game::CGameContext master;
    for (const auto& [body, code] : cases) {
        tinyxml2::XMLDocument document;
        ASSERT_EQ(document.Parse(("<GameSlide>" + body + "</GameSlide>").c_str()),
                  tinyxml2::XML_SUCCESS);
        game::CGameSlide slide(master, L"gross.xml");
        CRect area{0, 0, 1000, 700};
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(slide.ReadXml(*document.RootElement(), area, 0), code) << body.substr(0, 60);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 1s) << body.substr(0, 60);
    }
}

TEST(HostileFiles, SlideFilesBeyondTheSizeLimitAreNotRead) {
    CTempFolder folder;
    const std::string body =
        "<GameSlide>" + std::string(game::CGameSlide::MAX_FILE_BYTES, ' ') + "</GameSlide>";
    tinyxml2::XMLDocument document;
    EXPECT_EQ(game::CGameSlide::LoadDocument(folder.Write("big.xml", body), document),
              game::ERR_MEMORY);
    EXPECT_EQ(game::CGameSlide::LoadDocument(folder.Write("ok.xml", "<GameSlide/>"), document),
              game::ERR_NONE);
}
