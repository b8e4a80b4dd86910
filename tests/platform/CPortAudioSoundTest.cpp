// The sound output on the real default device. Machines without one (most build machines)
// report the playing test as skipped; run it under ../shared/tools/sound-capture to play into
// a private sound server.

#include "platform/CPortAudioOutput.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace {

class CBlockRecorder : public CSoundOutput::IListener {
public:
    void OnBlockDone(int block) override {
        std::lock_guard lock(m_mutex);
        m_done.push_back(block);
        m_changed.notify_all();
    }
    void OnClosed() override {
        std::lock_guard lock(m_mutex);
        ++m_closed;
        m_changed.notify_all();
    }
    bool WaitForDone(std::size_t count) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(5),
                                  [&] { return m_done.size() >= count; });
    }
    std::vector<int> Done() {
        std::lock_guard lock(m_mutex);
        return m_done;
    }
    int Closed() {
        std::lock_guard lock(m_mutex);
        return m_closed;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<int> m_done;
    int m_closed = 0;
};

// Everything the process writes to standard error while fn runs.
template <typename Fn> std::string StandardErrorOf(Fn fn) {
    std::fflush(stderr);
    FILE* capture = std::tmpfile();
    const int saved = dup(STDERR_FILENO);
    dup2(fileno(capture), STDERR_FILENO);
    fn();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    std::string text;
    std::rewind(capture);
    for (int c; (c = std::fgetc(capture)) != EOF;)
        text += static_cast<char>(c);
    std::fclose(capture);
    return text;
}

std::vector<std::uint8_t> Tone(int frames, int start) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        const auto s = static_cast<std::int16_t>(3000 * std::sin(0.345 * (start + i)));
        bytes[2 * i] = static_cast<std::uint8_t>(s & 0xFF);
        bytes[2 * i + 1] = static_cast<std::uint8_t>((s >> 8) & 0xFF);
    }
    return bytes;
}

} // namespace

// Probing ALSA cards and JACK servers that are not there must not fill the player's terminal.
TEST(PortAudioSound, ProbingPrintsNothing) {
    const std::string printed = StandardErrorOf([] { CPortAudioOutput::HasDefaultDevice(); });
    EXPECT_EQ(printed, "");
}

TEST(PortAudioSound, PlaysQueuedBlocksOnTheDefaultDevice) {
    if (!CPortAudioOutput::HasDefaultDevice())
        GTEST_SKIP() << "no sound output device on this machine";
    CPortAudioOutput output;
    CBlockRecorder recorder;
    ASSERT_TRUE(output.Open(CSoundFormat{8000, 1, 16, 2}, recorder));
    for (int block = 0; block < 3; ++block) {
        const std::vector<std::uint8_t> bytes = Tone(200, 200 * block);
        ASSERT_TRUE(output.Queue(block, bytes.data(), bytes.size()));
    }
    ASSERT_TRUE(recorder.WaitForDone(3));
    output.Close();
    EXPECT_EQ(recorder.Done(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(recorder.Closed(), 1);
    EXPECT_FALSE(output.Queue(0, Tone(200, 0).data(), 400)) << "closed";
}

TEST(PortAudioSound, UnplayableFormatsAreRefused) {
    CPortAudioOutput output;
    CBlockRecorder recorder;
    for (const CSoundFormat format : {CSoundFormat{8000, 1, 24, 3}, CSoundFormat{8000, 2, 16, 2},
                                      CSoundFormat{0, 1, 16, 2}, CSoundFormat{8000, 0, 16, 2}})
        EXPECT_FALSE(output.Open(format, recorder)) << format.bitsPerSample;
    EXPECT_EQ(recorder.Closed(), 0);
}
