// The difference-equation filter and applying it to derived signals.
#include "TestSignals.h"

#include <limits>

using dsp::CFilter;
namespace ts = testsignals;

namespace {

std::vector<float> Filtered(const CFilter& filter, const std::vector<float>& x) {
    std::vector<float> y(x.size(), -99.0f);
    filter.Apply(x.data(), int(x.size()), y.data());
    return y;
}

TEST(Filter, KnownResponses) {
    std::vector<float> impulse(200, 0.0f), powers(200);
    impulse[0] = 1.0f;
    for (int n = 0; n < 200; ++n) // an unstable output is held at the limit
        powers[n] = std::min(std::ldexp(1.0f, n), 1048576.0f);
    const struct {
        const char* name;
        std::vector<float> a, b, x, expected;
    } cases[] = {
        {"no coefficients copies", {}, {}, {0.3f, -0.7f, 1.0f}, {0.3f, -0.7f, 1.0f}},
        {"no denominator copies", {}, {0.5f}, {1, 2}, {1, 2}},
        {"moving average", {1}, {0.5f, 0.5f}, {2, 4, 6, 8, -8}, {1, 3, 5, 7, 0}},
        {"one pole", {1, -0.5f}, {1}, {1, 0, 0, 0, 0}, {1, 0.5f, 0.25f, 0.125f, 0.0625f}},
        {"b = a = 2 is the identity", {2}, {2}, {0.1f, -0.9f, 0.33f}, {0.1f, -0.9f, 0.33f}},
        {"delay", {1}, {0, 0, 1}, {1, 2, 3, 4}, {0, 0, 1, 2}},
        {"second order, shorter than its reach", {1, -1.6f, 0.81f}, {0.2f, 0.3f, 0.2f}, {1, 0},
         {0.2f, 0.62f}},
        {"a0 scales the output", {2, -0.4f}, {0.5f, -0.25f}, {1, 0, 0}, {0.25f, -0.075f, -0.015f}},
        {"unstable", {1, -2}, {1}, impulse, powers},
    };
    for (const auto& c : cases) {
        const std::vector<float> y = Filtered(ts::Filter(c.a, c.b), c.x);
        for (std::size_t i = 0; i < y.size(); ++i)
            ASSERT_FLOAT_EQ(y[i], c.expected[i]) << c.name << " at " << i;
    }
}

// Coefficients scaled by 2 or padded with zeros change nothing to the bit, in every loop.
TEST(Filter, EquivalentCoefficientSetsGiveIdenticalOutput) {
    const std::vector<float> x = ts::Noise(5000, 1.0f, 77);
    const std::vector<float> y = Filtered(ts::Filter({1, -1.2f, 0.5f}, {0.3f, 0.4f, 0.3f}), x);
    EXPECT_EQ(Filtered(ts::Filter({2, -2.4f, 1}, {0.6f, 0.8f, 0.6f}), x), y);
    EXPECT_EQ(Filtered(ts::Filter({1, -1.2f, 0.5f, 0, 0}, {0.3f, 0.4f, 0.3f, 0, 0}), x), y);
    EXPECT_EQ(Filtered(ts::Filter({1, -1.2f, 0.5f}, {0.3f, 0.4f, 0.3f, 0, 0, 0}), x), y);
    EXPECT_EQ(Filtered(ts::Filter({1, -1.2f, 0.5f, 0, 0, 0}, {0.3f, 0.4f, 0.3f}), x), y);
    float untouched = -99.0f;
    ts::Filter({1}, {1}).Apply(x.data(), 0, &untouched);
    EXPECT_EQ(untouched, -99.0f) << "no samples, nothing written";
}

TEST(Filter, RejectedCoefficientsLeaveAPassThrough) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        std::vector<float> a, b;
        int nb;
    } cases[] = {{{0, 1}, {1}, 1},
                 {{1}, {nan}, 1},
                 {{1}, {1}, -1},
                 {{1e-39f}, {1e-39f}, 1},   // a subnormal a[0]
                 {{1e-30f, 1}, {1e10f}, 1}, // b[0] / a[0] beyond float
                 {{1e-20f, 1e19f}, {1}, 1}}; // a[1] / a[0] beyond float
    for (const auto& c : cases) {
        CFilter filter = ts::Filter({1, -0.5f}, {1});
        EXPECT_FALSE(filter.SetCoefficients(c.a.data(), int(c.a.size()), c.b.data(), c.nb));
        EXPECT_TRUE(filter.GetDenominatorCount() == 0 && filter.GetNumeratorCount() == 0);
        EXPECT_TRUE(filter.GetDenominator() == nullptr && filter.GetNumerator() == nullptr);
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
