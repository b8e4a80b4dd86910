// The sound output: what reaches the device, and the real default device where there is one.

#include "platform/CDeviceQueue.h"
#include "platform/CPortAudioOutput.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace {

class CBlockRecorder : public CSoundOutput::IListener {
public:
    void OnBlockDone(int block) override {
        std::lock_guard lock(mutex);
        done.push_back(block);
        changed.notify_all();
    }
    void OnClosed() override { ++closed; }
    bool WaitForDone(std::size_t count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(5),
                                [&] { return done.size() >= count; });
    }
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<int> done;
    std::atomic<int> closed = 0;
};

} // namespace

// Probing ALSA cards and JACK servers that are not there must not fill the player's terminal.
TEST(PortAudioSound, ProbingPrintsNothing) {
    testing::internal::CaptureStderr(); // the file descriptor, so also what the libraries print
    CPortAudioOutput::HasDefaultDevice();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
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
    // Started with them, the device takes the first block at once, not after a buffer of silence.
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(output.Start());
    ASSERT_TRUE(recorder.WaitForDone(1));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500));
    ASSERT_TRUE(recorder.WaitForDone(3));
    output.Close();
    std::lock_guard lock(recorder.mutex);
    EXPECT_EQ(recorder.done, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(recorder.closed.load(), 1);
    EXPECT_FALSE(output.Queue(0, bytes, 400)) << "closed";
}

// The device is handed the queued frames in order with only their channels, then silence in the
// format's own zero, and each block is reported in the very call that took its last frame.
TEST(DeviceQueue, HandsTheDeviceChannelsThenSilenceAndReportsEachBlockOnce) {
    const struct {
        const char* name;
        CSoundFormat format;
        std::uint8_t silence;
    } cases[] = {
        {"16-bit stereo", {8000, 2, 16, 4}, 0x00},
        {"8-bit mono", {8000, 1, 8, 1}, 0x80},
        {"16-bit mono in padded frames", {8000, 1, 16, 4}, 0x00},
    };
    for (const auto& c : cases) {
        const int frameBytes = c.format.blockAlign;
        const int deviceBytes = c.format.channels * c.format.bitsPerSample / 8;
        // Two blocks of 5 frames, every byte numbered; a half frame at the end is left out.
        std::vector<std::uint8_t> bytes(std::size_t(10 * frameBytes + frameBytes / 2));
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>(i + 1);
        CBlockRecorder recorder;
        CDeviceQueue queue;
        queue.Start(c.format, recorder);
        queue.Push(9, bytes.data(), bytes.size()); // left over from a stream before
        queue.Start(c.format, recorder);
        std::vector<std::uint8_t> before(std::size_t(3 * deviceBytes), 0x55);
        queue.Render(before.data(), 3); // the device started before the first block came
        EXPECT_EQ(before, std::vector<std::uint8_t>(before.size(), c.silence)) << c.name;
        queue.Push(7, bytes.data(), std::size_t(5 * frameBytes));
        queue.Push(8, bytes.data() + 5 * frameBytes, std::size_t(5 * frameBytes + frameBytes / 2));
        std::vector<std::uint8_t> heard(std::size_t(16 * deviceBytes), 0x55);
        std::vector<std::size_t> reportsAfter; // blocks reported after each call
        for (int call = 0; call < 4; ++call) {
            queue.Render(heard.data() + call * 4 * deviceBytes, 4);
            reportsAfter.push_back(recorder.done.size());
        }
        std::vector<std::uint8_t> expected;
        for (int f = 0; f < 10; ++f)
            for (int b = 0; b < deviceBytes; ++b)
                expected.push_back(bytes[std::size_t(f * frameBytes + b)]);
        expected.resize(heard.size(), c.silence);
        EXPECT_EQ(heard, expected) << c.name;
        EXPECT_EQ(recorder.done, (std::vector<int>{7, 8})) << c.name;
        EXPECT_EQ(reportsAfter, (std::vector<std::size_t>{0, 1, 2, 2})) << c.name;
        EXPECT_EQ(queue.SilentFrames(), 6) << c.name;
    }
}
