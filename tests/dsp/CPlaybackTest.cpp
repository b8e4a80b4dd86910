// Playback on the test device: which blocks a signal plays, what bytes the device receives, the
// play-bar messages the listeners see, and what happens when there is no device or the signal
// goes away while it sounds.

#include "dsp/CPlayback.h"
#include "dsp/CSignal.h"
#include "dsp/CSinNoise.h"

#include "platform/CApplication.h"
#include "platform/CTestSoundOutput.h"
#include "platform/CTickCount.h"
#include "platform/CWindowMessages.h"
#include "platform/CWnd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

using dsp::CSignal;

namespace {

using Bar = std::pair<long long, long long>; // (erase, draw)

class CPlaybarWindow : public CWnd {
public:
    bool Open() { return Create(L"Test", L"", WS_VISIBLE, CRect{0, 0, 10, 10}, nullptr, 0); }
    std::vector<Bar> bars;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == dsp::CPlayback::PlaybarMessage())
            bars.emplace_back(static_cast<long long>(wParam), lParam);
        return 0;
    }
};

dsp::CWaveFormat Format(unsigned rate, int channels, int bits) {
    const auto align = static_cast<std::uint16_t>(channels * bits / 8);
    return dsp::CWaveFormat{1,     static_cast<std::uint16_t>(channels), rate, rate * align,
                            align, static_cast<std::uint16_t>(bits),     0};
}

// A ramp through the whole range, so every block differs from every other.
std::vector<float> Ramp(int count) {
    std::vector<float> v(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        v[i] = -1.0f + 2.0f * static_cast<float>(i) / static_cast<float>(count);
    return v;
}

// What a device must receive for these samples: every frame FloatToSample in every channel,
// silence after the end.
std::vector<std::uint8_t> Expected(const std::vector<float>& samples, const dsp::CWaveFormat& f,
                                   std::size_t frames) {
    const int bytes = f.bitsPerSample / 8;
    std::vector<std::uint8_t> out(frames * f.blockAlign);
    for (std::size_t i = 0; i < frames; ++i) {
        const float v = i < samples.size() ? samples[i] : 0.0f;
        for (int c = 0; c < f.channels; ++c)
            CSignal::FloatToSample(v, out.data() + i * f.blockAlign + c * bytes, f.bitsPerSample);
    }
    return out;
}

bool ProcessUntil(const std::function<bool()>& done, std::uint32_t milliseconds = 5000) {
    const std::uint32_t start = CTickCount::Now();
    while (!done()) {
        if (CTickCount::Elapsed(start, CTickCount::Now()) > milliseconds)
            return false;
        CApplication::ProcessMessagesFor(1);
    }
    return true;
}

class Playback : public testing::Test {
protected:
    void SetUp() override {
        m_previous = CTestSoundOutput::Install(m_device);
        ASSERT_TRUE(m_window.Open());
    }
    void TearDown() override {
        m_signal.reset();
        m_window.DestroyWindow();
        CSoundOutput::SetFactory(m_previous);
    }

    CSignal& Make(const std::vector<float>& samples, dsp::CWaveFormat format) {
        m_signal = std::make_unique<CSignal>();
        EXPECT_EQ(
            m_signal->CreateFromSamples(format, samples.data(), static_cast<int>(samples.size())),
            CSignal::RESULT_OK);
        m_signal->AddListener(&m_window);
        return *m_signal;
    }
    CSignal& Make(int count, unsigned rate = 8000) {
        return Make(Ramp(count), Format(rate, 1, 16));
    }

    // Plays every block the device is given until the playback has ended and its last
    // message has arrived.
    void PlayToEnd() {
        while (m_signal->IsPlaying())
            m_device->FinishNext(std::chrono::milliseconds(20));
        ASSERT_TRUE(m_device->WaitUntilClosed());
        ASSERT_TRUE(ProcessUntil([this] { return Ended(); })) << m_window.bars.size();
    }
    bool Ended() const {
        return !m_window.bars.empty() &&
               m_window.bars.back().first == m_window.bars.back().second &&
               m_window.bars.back().first > 0;
    }
    std::vector<std::uint8_t> AllQueuedBytes() const {
        std::vector<std::uint8_t> all;
        for (const auto& block : m_device->Queued())
            all.insert(all.end(), block.bytes.begin(), block.bytes.end());
        return all;
    }

    std::shared_ptr<CTestSoundOutput::Device> m_device =
        std::make_shared<CTestSoundOutput::Device>();
    CSoundOutput::Factory m_previous;
    CPlaybarWindow m_window;
    std::unique_ptr<CSignal> m_signal;
};

TEST_F(Playback, MessageIsTheRegisteredName) {
    EXPECT_EQ(dsp::CPlayback::PlaybarMessage(),
              CWindowMessages::Register("UWM_UPDATE_PLAYBARUSE_GUID"));
}

TEST_F(Playback, BlocksAreTwentyFiveMilliseconds) {
    for (const auto& [rate, frames] : {std::pair{44100u, 1102}, {8000u, 200}, {22050u, 551}}) {
        SCOPED_TRACE(rate);
        m_device = std::make_shared<CTestSoundOutput::Device>();
        CTestSoundOutput::Install(m_device);
        CSignal& signal = Make(10 * frames, rate);
        EXPECT_EQ(signal.GetBlockLength(), frames);
        ASSERT_TRUE(signal.Play());
        ASSERT_EQ(m_device->Queued().size(), 3u);
        for (const auto& block : m_device->Queued())
            EXPECT_EQ(block.bytes.size(), static_cast<std::size_t>(frames) * 2);
        EXPECT_EQ(m_device->LastFormat().sampleRate, static_cast<int>(rate));
    }
}

// A block is queued only while a whole block and at least one frame more remain; the first
// three are always played (a short signal with silence after its end).
TEST_F(Playback, PlaysTheBlocksThatFitAndReportsEachOne) {
    constexpr int B = 200;
    const struct {
        int samples;
        int blocks;
    } cases[] = {
        {10 * B, 9}, {10 * B + 5, 10}, {10 * B + 1, 10}, {4 * B + 1, 4},
        {4 * B, 3},  {3 * B + 1, 3},   {B / 2, 3},       {1, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.samples);
        m_device = std::make_shared<CTestSoundOutput::Device>();
        CTestSoundOutput::Install(m_device);
        m_window.bars.clear();
        Make(c.samples);
        ASSERT_TRUE(m_signal->Play());
        PlayToEnd();

        const auto queued = m_device->Queued();
        ASSERT_EQ(queued.size(), static_cast<std::size_t>(c.blocks));
        for (std::size_t i = 0; i < queued.size(); ++i)
            EXPECT_EQ(queued[i].block, static_cast<int>(i % 3)) << "buffers are reused in turn";
        std::vector<Bar> expected{{0, 0}};
        for (int b = 0; b < c.blocks; ++b)
            expected.emplace_back(b * B, (b + 1) * B);
        expected.emplace_back(c.blocks * B, c.blocks * B);
        EXPECT_EQ(m_window.bars, expected);
        EXPECT_FALSE(m_signal->IsPlaying());
    }
}

// The device gets the samples as FloatToSample makes them; a stereo example sounds on both
// sides, so every channel of a frame carries the sample.
TEST_F(Playback, DeviceReceivesTheConvertedSamplesInEveryChannel) {
    const struct {
        int channels;
        int bits;
    } formats[] = {{1, 16}, {1, 8}, {2, 16}, {2, 8}};
    for (const auto& f : formats) {
        SCOPED_TRACE(testing::Message() << f.channels << " x " << f.bits);
        m_device = std::make_shared<CTestSoundOutput::Device>();
        CTestSoundOutput::Install(m_device);
        m_window.bars.clear();
        std::vector<float> samples = Ramp(5 * 200 + 7);
        samples[3] = 1.5f; // beyond full scale: limited like every converted sample
        samples[4] = -0.00002f;
        const dsp::CWaveFormat format = Format(8000, f.channels, f.bits);
        Make(samples, format);
        ASSERT_TRUE(m_signal->Play());
        PlayToEnd();
        EXPECT_EQ(m_device->LastFormat().channels, f.channels);
        EXPECT_EQ(m_device->LastFormat().bitsPerSample, f.bits);
        EXPECT_EQ(AllQueuedBytes(), Expected(samples, format, 5 * 200));
    }
}

TEST_F(Playback, ShortSignalIsPaddedWithSilence) {
    const std::vector<float> samples = Ramp(250);
    const dsp::CWaveFormat format = Format(8000, 1, 8);
    Make(samples, format);
    ASSERT_TRUE(m_signal->Play());
    PlayToEnd();
    const std::vector<std::uint8_t> bytes = AllQueuedBytes();
    ASSERT_EQ(bytes.size(), 600u);
    EXPECT_EQ(bytes, Expected(samples, format, 600));
    EXPECT_EQ(bytes[599], 128) << "8-bit silence";
}

TEST_F(Playback, ClickWhilePlayingChangesNothingAndAfterTheEndStartsAgain) {
    Make(10 * 200);
    ASSERT_TRUE(m_signal->Play());
    ASSERT_TRUE(m_device->FinishNext());
    ASSERT_TRUE(m_device->WaitForQueued(4));
    EXPECT_FALSE(m_signal->Play());
    EXPECT_EQ(m_device->OpenCount(), 1);
    EXPECT_EQ(m_device->Queued().size(), 4u);
    PlayToEnd();
    const std::vector<Bar> first = m_window.bars;
    const auto firstBlocks = m_device->Queued();

    m_window.bars.clear();
    ASSERT_TRUE(m_signal->Play()) << "the end of playback frees the signal at once";
    PlayToEnd();
    EXPECT_EQ(m_device->OpenCount(), 2);
    EXPECT_EQ(m_window.bars, first);
    const auto all = m_device->Queued();
    ASSERT_EQ(all.size(), 2 * firstBlocks.size());
    EXPECT_EQ(all[firstBlocks.size()].bytes, firstBlocks[0].bytes) << "again from the start";
}

TEST_F(Playback, WithoutADeviceNothingStartsAndALaterClickTriesAgain) {
    Make(10 * 200);
    m_device->SetAvailable(false);
    EXPECT_FALSE(m_signal->Play());
    EXPECT_FALSE(m_signal->IsPlaying());
    CApplication::ProcessMessagesFor(20);
    EXPECT_TRUE(m_window.bars.empty());
    EXPECT_TRUE(m_device->Queued().empty());

    m_device->SetAvailable(true);
    ASSERT_TRUE(m_signal->Play());
    PlayToEnd();
    EXPECT_EQ(m_device->Queued().size(), 9u);
}

TEST_F(Playback, NothingToPlayIsRefused) {
    const struct {
        const char* what;
        int samples;
        dsp::CWaveFormat format;
    } cases[] = {
        {"empty", 0, Format(8000, 1, 16)},
        {"24 bits", 2000, Format(8000, 1, 24)},
        {"frames narrower than the channels", 2000, {1, 2, 8000, 16000, 2, 16, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_signal = std::make_unique<CSignal>();
        const std::vector<float> samples = Ramp(c.samples);
        m_signal->CreateFromSamples(c.format, samples.data(), c.samples);
        EXPECT_FALSE(m_signal->Play());
        EXPECT_FALSE(m_signal->IsPlaying());
    }
    EXPECT_EQ(m_device->OpenCount(), 0);
}

// Leaving a slide deletes its signals while they may sound: the device is closed, the thread
// ends, and nothing more is posted.
TEST_F(Playback, SignalGoneWhilePlayingStopsAndPostsNoMore) {
    Make(100 * 200);
    ASSERT_TRUE(m_signal->Play());
    ASSERT_TRUE(m_device->FinishNext());
    ASSERT_TRUE(m_device->WaitForQueued(4));
    m_signal.reset();
    EXPECT_FALSE(m_device->IsOpen());
    EXPECT_EQ(m_device->PendingCount(), 0u);
    CApplication::ProcessMessagesFor(30);
    const std::size_t seen = m_window.bars.size();
    EXPECT_LE(seen, 2u) << "(0, 0) and at most the one finished block";
    EXPECT_FALSE(m_device->FinishNext(std::chrono::milliseconds(10)));
    CApplication::ProcessMessagesFor(10);
    EXPECT_EQ(m_window.bars.size(), seen);
}

// The samples may change while they play (a filter or a tone added); the blocks converted
// afterwards carry the new samples.
TEST_F(Playback, ChangedSamplesPlayFromTheNextBlock) {
    const dsp::CWaveFormat format = Format(8000, 1, 16);
    const std::vector<float> before = Ramp(10 * 200);
    Make(before, format);
    ASSERT_TRUE(m_signal->Play());
    const dsp::CSinNoise tone(0.25f, 0.3f);
    ASSERT_TRUE(m_signal->ApplyNoise(tone));
    std::vector<float> after = before;
    tone.AddTo(after.data(), static_cast<int>(after.size()));
    PlayToEnd();

    const std::vector<std::uint8_t> bytes = AllQueuedBytes();
    const std::vector<std::uint8_t> old = Expected(before, format, 9 * 200);
    const std::vector<std::uint8_t> changed = Expected(after, format, 9 * 200);
    ASSERT_EQ(bytes.size(), old.size());
    const std::size_t queuedBefore = 3 * 200 * 2;
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + queuedBefore, old.begin()));
    EXPECT_TRUE(
        std::equal(bytes.begin() + queuedBefore, bytes.end(), changed.begin() + queuedBefore));
}

} // namespace
