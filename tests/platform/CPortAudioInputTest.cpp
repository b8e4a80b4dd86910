// Recording from the default input device: under recording_input.sh, whose PulseAudio hears
// what pacat plays into its null sink, the recorded samples are the played ones, late by the
// device's latency.

#include "common/CTempFolder.h"
#include "platform/CSoundInput.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr int RATE = 8000;

struct CCollector : CSoundInput::IListener {
    void OnSamples(const float* samples, int count) override {
        std::lock_guard lock(mutex);
        taken.insert(taken.end(), samples, samples + count);
    }
    std::vector<float> WaitFor(std::size_t count) {
        for (int i = 0; i < 1000; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(10)))
            if (std::lock_guard lock(mutex); taken.size() >= count)
                return taken;
        return {};
    }
    std::mutex mutex;
    std::vector<float> taken;
};

} // namespace

TEST(PortAudioInput, RecordsWhatThePlayedDeviceHears) {
    const char* sink = std::getenv("VELMORA_FED_SINK");
    if (sink == nullptr)
        GTEST_SKIP() << "needs a device fed with a known signal: tests/platform/recording_input.sh";
    // A chirp from 300 to 1500 Hz at half scale: at every lag it looks different.
    std::vector<float> fed(3 * RATE);
    std::string bytes;
    for (std::size_t i = 0; i < fed.size(); ++i) {
        const double t = double(i) / RATE;
        fed[i] = float(0.5 * std::sin(2 * M_PI * (300 * t + 200 * t * t)));
        const auto s = static_cast<std::uint16_t>(std::lround(fed[i] * 32767));
        bytes += {char(s & 0xFF), char(s >> 8)};
    }
    CTempFolder folder;
    const std::string raw = std::filesystem::path(folder.Write("fed.raw", bytes)).string();

    auto input = CSoundInput::Make();
    CCollector collector;
    ASSERT_EQ(input->Start(RATE, collector), CSoundInput::EStart::OK);
    collector.WaitFor(RATE / 5); // played once the input runs, so that the take holds its start
    const std::string play = "pacat --rate=8000 --channels=1 --format=s16le --device=";
    ASSERT_EQ(std::system((play + sink + " " + raw + " >/dev/null 2>&1 &").c_str()), 0);
    const std::vector<float> recorded = collector.WaitFor(5 * RATE / 2);
    input->Stop();
    ASSERT_GE(recorded.size(), std::size_t(5 * RATE / 2));

    // Half a second of the chirp found again within 1.5 s, at its level.
    const std::size_t n = RATE / 2;
    double best = -1, peak = 0;
    for (std::size_t lag = 0; lag < 3 * RATE / 2; ++lag) {
        double xy = 0, xx = 0, yy = 0, top = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const double x = recorded[lag + i], y = fed[i];
            xy += x * y, xx += x * x, yy += y * y, top = std::max(top, std::fabs(x));
        }
        if (xx > 0 && xy / std::sqrt(xx * yy) > best)
            best = xy / std::sqrt(xx * yy), peak = top;
    }
    EXPECT_GT(best, 0.95);
    EXPECT_NEAR(peak, 0.5, 0.1);
}
