// The sound output on the real default device; skipped on machines without one.

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
        std::lock_guard lock(mutex);
        done.push_back(block);
        changed.notify_all();
    }
    void OnClosed() override {
        std::lock_guard lock(mutex);
        ++closed;
    }
    bool WaitForDone(std::size_t count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(5),
                                [&] { return done.size() >= count; });
    }
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<int> done;
    int closed = 0;
};

} // namespace

// Probing ALSA cards and JACK servers that are not there must not fill the player's terminal.
TEST(PortAudioSound, ProbingPrintsNothing) {
    std::fflush(stderr);
    FILE* capture = std::tmpfile();
    const int saved = dup(STDERR_FILENO);
    dup2(fileno(capture), STDERR_FILENO);
    CPortAudioOutput::HasDefaultDevice();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    EXPECT_EQ(std::ftell(capture), 0L) << "something was printed";
    std::fclose(capture);
}

TEST(PortAudioSound, PlaysQueuedBlocksOnTheDefaultDevice) {
    if (!CPortAudioOutput::HasDefaultDevice())
        GTEST_SKIP() << "no sound output device on this machine";
    CPortAudioOutput output;
    CBlockRecorder recorder;
    ASSERT_TRUE(output.Open(CSoundFormat{8000, 1, 16, 2}, recorder));
    std::vector<std::int16_t> tone(200);
    for (int i = 0; i < 200; ++i)
        tone[i] = static_cast<std::int16_t>(3000 * std::sin(0.345 * i));
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(tone.data());
    for (int block = 0; block < 3; ++block)
        ASSERT_TRUE(output.Queue(block, bytes, 400));
    ASSERT_TRUE(recorder.WaitForDone(3));
    output.Close();
    std::lock_guard lock(recorder.mutex);
    EXPECT_EQ(recorder.done, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(recorder.closed, 1);
    EXPECT_FALSE(output.Queue(0, bytes, 400)) << "closed";
}
