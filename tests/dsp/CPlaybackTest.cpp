#include "TestSignals.h"

#include "dsp/CPlayback.h"

#include "common/CTestSoundOutput.h"
#include "platform/CApplication.h"
#include "platform/CTickCount.h"
#include "platform/CWnd.h"

using dsp::CSignal;

namespace {

using Bar = std::pair<long long, long long>; // (erase, draw)
constexpr int B = 200;                       // block length at 8000 Hz

struct CPlaybarWindow : CWnd {
    std::vector<Bar> bars;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == dsp::CPlayback::PlaybarMessage())
            bars.emplace_back(static_cast<long long>(wParam), lParam);
        return 0;
    }
};

dsp::CWaveFormat Format(unsigned rate, int channels, int bits) {
    const auto align = std::uint16_t(channels * bits / 8);
    return {1, std::uint16_t(channels), rate, rate * align, align, std::uint16_t(bits), 0};
}

std::vector<float> Sound(int count) {
    return testsignals::Noise(count, 1.0f, unsigned(count));
}

class Playback : public testing::Test {
protected:
    void SetUp() override {
        m_previous = CTestSoundOutput::Install(m_device);
        ASSERT_TRUE(m_window.Create(L"Test", L"", WS_VISIBLE, CRect{0, 0, 10, 10}, nullptr, 0));
    }
    // The members go in reverse: the listener, the signals, then the window.
    void TearDown() override { CSoundOutput::SetFactory(m_previous); }
    void NewDevice() {
        m_device = std::make_shared<CTestSoundOutput::Device>();
        CTestSoundOutput::Install(m_device);
        m_window.bars.clear();
    }
    CSignal& Make(const std::vector<float>& samples, dsp::CWaveFormat f = Format(8000, 1, 16)) {
        m_signal = std::make_unique<CSignal>();
        m_signal->CreateFromSamples(f, samples.data(), static_cast<int>(samples.size()));
        m_listening = m_signal->Listen(&m_window);
        return *m_signal;
    }
    // Finishes every queued block until the playback has ended and its last message arrived.
    void PlayToEnd() {
        while (m_signal->IsPlaying())
            m_device->FinishNext(std::chrono::milliseconds(20));
        ASSERT_TRUE(m_device->WaitUntilClosed());
        const std::uint32_t start = CTickCount::Now();
        auto ended = [this] {
            const auto& b = m_window.bars;
            return !b.empty() && b.back().first == b.back().second && b.back().first > 0;
        };
        while (!ended() && CTickCount::Elapsed(start, CTickCount::Now()) < 5000)
            CApplication::ProcessMessagesFor(1);
        ASSERT_TRUE(ended()) << m_window.bars.size();
    }
    std::shared_ptr<CTestSoundOutput::Device> m_device =
        std::make_shared<CTestSoundOutput::Device>();
    CSoundOutput::Factory m_previous;
    CPlaybarWindow m_window;
    std::unique_ptr<CSignal> m_root, m_signal;
    dsp::CListenerHandle m_listening;
};

// 25 ms blocks, queued while a block and a frame remain (three at least), each reported; louder
// than full scale, a root or a filter's output, plays scaled down to it, silence after the end.
TEST_F(Playback, PlaysTheBlocksThatFitAndReportsEachOne) {
    const struct {
        int samples, blocks, channels, bits;
        unsigned rate = 8000;
        float loudness = 1;
        bool derived = false;
    } cases[] = {{10 * B, 9, 1, 16},         {10 * B + 5, 10, 2, 8},
                 {4 * B + 1, 4, 1, 8},       {4 * B, 3, 2, 16},
                 {B / 2, 3, 1, 8},           {11020, 9, 1, 16, 44100},
                 {4 * B, 3, 1, 16, 8000, 4}, {4 * B, 3, 1, 16, 8000, 4, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.samples << " at " << c.rate << " x" << c.loudness);
        NewDevice();
        const int block = int(c.rate) / 40;
        std::vector<float> samples = Sound(c.samples), loud(c.samples);
        samples[3] = -1.0f; // full scale
        std::ranges::transform(samples, loud.begin(), [&](float v) { return v * c.loudness; });
        const dsp::CWaveFormat format = Format(c.rate, c.channels, c.bits);
        Make(loud, format);
        if (c.derived) {
            m_root = std::exchange(m_signal, std::make_unique<CSignal>());
            ASSERT_EQ(m_signal->CreateFrom(m_root.get()), 0u);
            ASSERT_TRUE(m_signal->ApplyFilter(dsp::CFilter()));
            m_listening = m_signal->Listen(&m_window);
        }
        ASSERT_TRUE(m_signal->Play());
        PlayToEnd();
        const auto queued = m_device->Queued();
        ASSERT_EQ(queued.size(), static_cast<std::size_t>(c.blocks));
        EXPECT_EQ(queued.back().block, (c.blocks - 1) % 3) << "buffers are reused in turn";
        EXPECT_EQ(m_device->LastFormat().channels, c.channels);
        std::vector<std::uint8_t> bytes,
            expected(std::size_t(c.blocks) * block * format.blockAlign);
        for (const auto& q : queued)
            bytes.insert(bytes.end(), q.bytes.begin(), q.bytes.end());
        for (std::size_t i = 0; i < expected.size() / format.blockAlign; ++i)
            for (int channel = 0; channel < c.channels; ++channel)
                CSignal::FloatToSample(i < samples.size() ? samples[i] : 0.0f,
                                       &expected[i * format.blockAlign + channel * c.bits / 8],
                                       c.bits);
        EXPECT_EQ(bytes, expected);
        std::vector<Bar> bars{{0, 0}};
        for (int b = 0; b <= c.blocks; ++b)
            bars.emplace_back(b * block, std::min(b + 1, c.blocks) * block);
        EXPECT_EQ(m_window.bars, bars);
    }
}

// A click while playing changes nothing; a later one plays again from the start.
TEST_F(Playback, ClicksStartOnlyWhatMayStart) {
    Make(Sound(10 * B));
    ASSERT_TRUE(m_signal->Play());
    ASSERT_TRUE(m_device->FinishNext());
    ASSERT_TRUE(m_device->WaitForQueued(4));
    EXPECT_FALSE(m_signal->Play());
    EXPECT_EQ(m_device->OpenCount(), 1);
    PlayToEnd();
    const std::vector<Bar> first = std::exchange(m_window.bars, {});
    const auto firstBlocks = m_device->Queued();
    ASSERT_TRUE(m_signal->Play());
    PlayToEnd();
    EXPECT_EQ(m_device->OpenCount(), 2);
    EXPECT_EQ(m_window.bars, first);
    const auto all = m_device->Queued();
    ASSERT_EQ(all.size(), 2 * firstBlocks.size());
    EXPECT_EQ(all[firstBlocks.size()].bytes, firstBlocks[0].bytes) << "again from the start";
}

// An output that opens but takes no block.
struct CRefusingOutput : CSoundOutput {
    explicit CRefusingOutput(bool& aborted) : aborted(aborted) {}
    bool Open(const CSoundFormat&, IListener&) override { return true; }
    bool Queue(int, const std::uint8_t*, std::size_t) override { return false; }
    bool Start() override { return true; }
    void Close() override {}
    void Abort() override { aborted = true; }
    bool& aborted;
};

// Nothing starts or moves a bar for a format no device plays, without a device or an output,
// or when no block is taken.
TEST_F(Playback, NothingStartsThatCannotPlay) {
    EXPECT_FALSE(Make(Sound(10 * B), Format(8000, 1, 24)).Play());
    Make(Sound(10 * B));
    m_device->SetAvailable(false);
    EXPECT_FALSE(m_signal->Play());
    CSoundOutput::SetFactory([] { return std::unique_ptr<CSoundOutput>(); });
    EXPECT_FALSE(m_signal->Play());
    bool aborted = false;
    CSoundOutput::SetFactory([&] { return std::make_unique<CRefusingOutput>(aborted); });
    EXPECT_FALSE(m_signal->Play());
    EXPECT_TRUE(aborted && !m_signal->IsPlaying());
    CApplication::ProcessMessagesFor(20);
    EXPECT_TRUE(m_window.bars.empty());
}

// The samples go away while they play: the signal is deleted, or gets new content.
TEST_F(Playback, SamplesGoneWhilePlayingStopAndPostNoMore) {
    for (const bool deleted : {true, false}) {
        NewDevice();
        Make(Sound(100 * B));
        ASSERT_TRUE(m_signal->Play());
        ASSERT_TRUE(m_device->FinishNext());
        ASSERT_TRUE(m_device->WaitForQueued(4));
        if (deleted)
            m_signal.reset();
        else
            m_signal->CreateFromSamples(Format(8000, 1, 16), Sound(B).data(), B);
        EXPECT_FALSE(m_device->IsOpen());
        EXPECT_EQ(m_device->PendingCount(), 0u);
        CApplication::ProcessMessagesFor(30);
        EXPECT_LE(m_window.bars.size(), 2u) << "(0, 0) and at most the one finished block";
        EXPECT_FALSE(m_device->FinishNext(std::chrono::milliseconds(10)));
    }
}

} // namespace
