// The difference-equation filter and applying it to derived signals.
#include "TestSignals.h"

#include "common/ReferenceFilter.h"

#include <limits>

using dsp::CFilter;
namespace ts = testsignals;

namespace {

std::vector<float> Filtered(const CFilter& filter, const std::vector<float>& x) {
    std::vector<float> y(x.size(), -99.0f);
    filter.Apply(x.data(), int(x.size()), y.data());
    return y;
}

// The output is the difference equation's from rest, whatever the order, the scale of the
// coefficients, zeros padding them, or an input shorter than the filter's reach.
TEST(Filter, KnownResponses) {
    const std::vector<float> noise = ts::Noise(300, 1.0f, 77);
    const struct {
        std::vector<float> a, b;
        std::size_t length = 300;
    } cases[] = {{{1}, {0.5f, 0.5f}}, {{1, -0.5f}, {1}}, {{2}, {2}}, {{1}, {0, 0, 1}},
                 {{1, -1.6f, 0.81f}, {0.2f, 0.3f, 0.2f}, 2}, {{2, -0.4f}, {0.5f, -0.25f}},
                 {{1, -1.2f, 0.5f}, {0.3f, 0.4f, 0.3f}}, {{2, -2.4f, 1}, {0.6f, 0.8f, 0.6f}},
                 {{1, -1.2f, 0.5f, 0, 0}, {0.3f, 0.4f, 0.3f, 0, 0, 0}},
                 {{2, -1.1f, 0.4f, 0.1f, 0.05f, -0.02f, 0.01f}, {1, 0.5f, 0.25f, 0.1f, 0.05f, 0.02f}}};
    for (const auto& c : cases) {
        const std::vector<float> x(noise.begin(), noise.begin() + long(c.length));
        const std::vector<double> want =
            ReferenceFilter<float>({c.a.begin(), c.a.end()}, {c.b.begin(), c.b.end()}, x);
        const std::vector<float> y = Filtered(ts::Filter(c.a, c.b), x);
        for (std::size_t i = 0; i < y.size(); ++i)
            ASSERT_NEAR(y[i], want[i], 1e-5 * (1 + std::abs(want[i])))
                << c.a.size() << " + " << c.b.size() << " at " << i;
    }
    // Without coefficients, or without a denominator, the input passes; a runaway is held at
    // the limit; no samples, nothing written.
    std::vector<float> impulse(200, 0.0f), powers(200);
    impulse[0] = 1.0f;
    for (int n = 0; n < 200; ++n)
        powers[n] = std::min(std::ldexp(1.0f, n), 1048576.0f);
    EXPECT_EQ(Filtered(ts::Filter({}, {}), {0.3f, -0.7f}), (std::vector<float>{0.3f, -0.7f}));
    EXPECT_EQ(Filtered(ts::Filter({}, {0.5f}), {1, 2}), (std::vector<float>{1, 2}));
    EXPECT_EQ(Filtered(ts::Filter({1, -2}, {1}), impulse), powers);
    float untouched = -99.0f;
    ts::Filter({1}, {1}).Apply(noise.data(), 0, &untouched);
    EXPECT_EQ(untouched, -99.0f);
}

TEST(Filter, RejectedCoefficientsLeaveAPassThrough) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        std::vector<float> a, b;
        int nb;
    } cases[] = {{{0, 1}, {1}, 1},          {{1}, {nan}, 1}, {{1}, {1}, -1},
                 {{1e-39f}, {1e-39f}, 1},    // a subnormal a[0]
                 {{1e-30f, 1}, {1e10f}, 1},  // b[0] / a[0] beyond float
                 {{1e-20f, 1e19f}, {1}, 1}}; // a[1] / a[0] beyond float
    for (const auto& c : cases) {
        CFilter filter = ts::Filter({1, -0.5f}, {1});
        EXPECT_FALSE(filter.SetCoefficients(c.a.data(), int(c.a.size()), c.b.data(), c.nb));
        EXPECT_EQ(Filtered(filter, {1, 0, 0.5f}), (std::vector<float>{1, 0, 0.5f}));
    }
}

TEST(ApplyFilter, FiltersTheSourceIntoTheDerivedSignalOnly) {
    auto root = ts::Make({1, 2, 3, 4});
    EXPECT_FALSE(root->ApplyFilter(CFilter())) << "a root has no source";
    dsp::CSignal derived;
    ASSERT_EQ(derived.CreateFrom(root.get()), 0u);
    const auto samples = [&] {
        return std::vector<float>(derived.GetSamples(), derived.GetSamples() + 4);
    };
    ASSERT_TRUE(derived.ApplyFilter(ts::Filter({1}, {0.5f, 0.5f})));
    EXPECT_EQ(samples(), (std::vector<float>{0.5f, 1.5f, 2.5f, 3.5f}));
    EXPECT_EQ(root->GetSamples()[3], 4.0f) << "the source stays as it was";
    ASSERT_TRUE(derived.ApplyFilter(ts::Filter({1}, {2}))) << "replaces, not filters, the output";
    EXPECT_EQ(derived.GetSamples()[3], 8.0f);
    ASSERT_EQ(root->CreateFromSamples(root->GetFormat(), std::vector<float>(5, 9).data(), 5), 0u);
    EXPECT_FALSE(derived.ApplyFilter(CFilter())) << "the source grew";
    EXPECT_EQ(derived.GetSamples()[0], 2.0f) << "nothing changes";
    ASSERT_EQ(root->CreateFromSamples(root->GetFormat(), std::vector<float>{5, 6}.data(), 2), 0u);
    ASSERT_TRUE(derived.ApplyFilter(CFilter()));
    EXPECT_EQ(samples(), (std::vector<float>{5, 6, 0, 0})) << "the source shrank: silence after";
    // Analyses reading beyond a shrunken source's end must not wait for samples it never writes.
    auto big = ts::Make(ts::Noise(9000, 0.5f, 2));
    dsp::CSignal output;
    ASSERT_TRUE(output.CreateFrom(big.get()) == 0 && output.EnsureSpectrogram());
    ASSERT_EQ(big->CreateFromSamples(big->GetFormat(), big->GetSamples(), 3000), 0u);
    ASSERT_TRUE(output.ApplyFilter(CFilter()));
    EXPECT_EQ(std::abs(output.GetSpectrogram().GetValue(100, 15)), 0.0f);
}

} // namespace
