// Recording from the default input device: under recording_input.sh, whose PulseAudio hears
// what pacat plays into its null sink, the recorded samples are the played ones, late by the
// device's latency.

#include "common/CTempFolder.h"
#include "platform/CSoundInput.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int RATE = 8000;

class CTakeCollector : public CSoundInput::IListener {
public:
    void OnSamples(const float* samples, int count) override {
        std::lock_guard lock(m_mutex);
        m_samples.insert(m_samples.end(), samples, samples + count);
        m_changed.notify_all();
    }
    std::vector<float> Wait(std::size_t wanted) {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::seconds(10),
                           [&] { return m_samples.size() >= wanted; });
        return m_samples;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<float> m_samples;
};

// Normalised correlation of recorded[lag + i] with fed[i] over n samples.
double Correlation(const std::vector<float>& recorded, const std::vector<float>& fed,
                   std::size_t lag, std::size_t n) {
    double xy = 0, xx = 0, yy = 0;
    for (std::size_t i = 0; i < n; ++i) {
        xy += double(recorded[lag + i]) * fed[i];
        xx += double(recorded[lag + i]) * recorded[lag + i];
        yy += double(fed[i]) * fed[i];
    }
    return xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0.0;
}

} // namespace

TEST(PortAudioInput, RecordsWhatThePlayedDeviceHears) {
    const char* sink = std::getenv("VELMORA_FED_SINK");
    if (sink == nullptr)
        GTEST_SKIP() << "needs a device fed with a known signal: tests/platform/recording_input.sh";
    // A chirp from 300 to 1500 Hz: every lag gives a different picture, so the match is unique.
    std::vector<float> fed(3 * RATE);
    std::string bytes;
    for (std::size_t i = 0; i < fed.size(); ++i) {
        const double t = double(i) / RATE;
        fed[i] = float(0.5 * std::sin(2 * M_PI * (300 * t + 200 * t * t)));
        const auto s = static_cast<std::int16_t>(std::lround(fed[i] * 32767));
        bytes += char(s & 0xFF);
        bytes += char((s >> 8) & 0xFF);
    }
    CTempFolder folder;
    const std::string raw = std::filesystem::path(folder.Write("fed.raw", bytes)).string();

    auto input = CSoundInput::Make();
    CTakeCollector collector;
    ASSERT_EQ(input->Start(RATE, collector), CSoundInput::EStart::OK);
    // Played once the input runs, so that the signal starts within the take.
    collector.Wait(RATE / 5);
    const std::string play =
        std::string("pacat --device=") + sink + " --rate=8000 --channels=1 --format=s16le " + raw;
    std::thread player([&] { std::system(play.c_str()); });
    const std::vector<float> recorded = collector.Wait(std::size_t(2.5 * RATE));
    input->Stop();
    player.join();
    ASSERT_GE(recorded.size(), std::size_t(2.5 * RATE));

    // The best lag within 1.5 s: the played half second found again, at its level.
    const std::size_t n = RATE / 2;
    std::size_t best = 0;
    double bestCorrelation = -1;
    for (std::size_t lag = 0; lag + n <= recorded.size() && lag < 3 * RATE / 2; ++lag)
        if (const double c = Correlation(recorded, fed, lag, n); c > bestCorrelation)
            bestCorrelation = c, best = lag;
    EXPECT_GT(bestCorrelation, 0.95) << "lag " << best << " samples";
    double peak = 0;
    for (std::size_t i = 0; i < n; ++i)
        peak = std::max(peak, std::fabs(double(recorded[best + i])));
    EXPECT_NEAR(peak, 0.5, 0.1);
}
