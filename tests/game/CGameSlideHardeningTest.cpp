// Examples as a hostile folder can present them: a FIFO beside one, names that are no UTF-8.
// (Slides and examples that are FIFOs or beyond the size limits: the checker's hostile table.)
#include "common/CTempFolder.h"
#include "common/CWaveBytes.h"

#include "dsp/CSignal.h"
#include "game/CGameContext.h"
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

// A FIFO beside an example, where its tooltip text is read, does not hold the preparer.
TEST(HostileFiles, AFifoBesideAnExampleDoesNotHoldThePreparer) {
    CTempFolder folder;
    const std::string beside = CText::ToNarrow(folder.PathOf("ton.txt"));
    ASSERT_EQ(mkfifo(beside.c_str(), 0600), 0);
    const std::string wave = CText::ToNarrow(folder.Write("ton.wav", CWaveBytes::Mono16({0, 1})));
    tinyxml2::XMLDocument document;
    document.Parse(("<wave id='1' tooltip='1' example='" + wave + "'/>").c_str());
    game::CGameContext context;
    game::CWavePlot plot(&context);
    CRect area{0, 0, 200, 100};
    ASSERT_EQ(plot.ReadXml(*document.RootElement(), area, 0), game::ERR_NONE);
    auto done = std::async(std::launch::async, [&] { return plot.Prepare(); });
    EXPECT_EQ(done.wait_for(2s), std::future_status::ready);
    // A writer that comes and goes lets a waiting open return, so the test ends either way.
    while (done.wait_for(0s) != std::future_status::ready) {
        const int writer = ::open(beside.c_str(), O_RDWR | O_NONBLOCK);
        std::this_thread::sleep_for(50ms);
        ::close(writer);
    }
    EXPECT_EQ(done.get(), game::ERR_NONE);
}

// A name written by another system keeps its bytes: listed, picked and loaded.
TEST(HostileFiles, ExampleNamesThatAreNotUtf8AreOpenedByteForByte) {
    CTempFolder folder;
    for (const std::string name : {"\xE4rger.wav", "caf\xC3\xA9\xFF.wav", "\xC3.wav"})
        std::ofstream(CText::ToNarrow(folder.Folder()) + "/" + name, std::ios::binary)
            << CWaveBytes::Mono16({0, 1000, -1000, 0});
    game::CGameContext context;
    ASSERT_EQ(context.AddExampleFolder(folder.Folder()), 3);
    for (int i = 0; i < 3; ++i) {
        dsp::CSignal signal;
        EXPECT_EQ(signal.LoadWave(context.GetRandomExample()), 0) << i;
        EXPECT_EQ(signal.GetSampleCount(), 4) << i;
    }
}
