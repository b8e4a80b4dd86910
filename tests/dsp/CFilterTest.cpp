// The difference-equation filter and applying it to derived signals.
#include "TestSignals.h"

#include "dsp/CFilter.h"
#include "dsp/CSignal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using dsp::CFilter;
namespace ts = testsignals;

namespace {

std::vector<float> Filtered(const CFilter& filter, const std::vector<float>& x) {
    std::vector<float> y(x.size(), -99.0f);
    filter.Apply(x.data(), static_cast<int>(x.size()), y.data());
    return y;
}

CFilter Make(const std::vector<float>& a, const std::vector<float>& b) {
    CFilter filter;
    EXPECT_TRUE(filter.SetCoefficients(a.data(), int(a.size()), b.data(), int(b.size())));
    return filter;
}

TEST(Filter, KnownResponses) {
    const struct {
        const char* name;
        std::vector<float> a, b, x, expected;
    } cases[] = {
        {"no coefficients copies", {}, {}, {0.3f, -0.7f, 1.0f}, {0.3f, -0.7f, 1.0f}},
        {"moving average", {1}, {0.5f, 0.5f}, {2, 4, 6, 8, -8}, {1, 3, 5, 7, 0}},
        {"one pole", {1, -0.5f}, {1}, {1, 0, 0, 0, 0}, {1, 0.5f, 0.25f, 0.125f, 0.0625f}},
        {"b = a = 2 is the identity", {2}, {2}, {0.1f, -0.9f, 0.33f}, {0.1f, -0.9f, 0.33f}},
        {"delay", {1}, {0, 0, 1}, {1, 2, 3, 4}, {0, 0, 1, 2}},
        {"second order, shorter than its reach", {1, -1.6f, 0.81f}, {0.2f, 0.3f, 0.2f}, {1, 0},
         {0.2f, 0.62f}},
        {"a0 scales the output", {2, -0.4f}, {0.5f, -0.25f}, {1, 0, 0}, {0.25f, -0.075f, -0.015f}},
    };
    for (const auto& c : cases) {
        const std::vector<float> y = Filtered(Make(c.a, c.b), c.x);
        for (std::size_t i = 0; i < y.size(); ++i)
            EXPECT_FLOAT_EQ(y[i], c.expected[i]) << c.name << " at " << i;
    }
}

// Scaling every coefficient by 2 or padding with zeros changes nothing to the bit, whichever
// loop runs the filter.
TEST(Filter, EquivalentCoefficientSetsGiveIdenticalOutput) {
    const std::vector<float> x = ts::Noise(5000, 1.0f, 77);
    const std::vector<float> reference = Filtered(Make({1.0f, -1.2f, 0.5f}, {0.3f, 0.4f, 0.3f}), x);
    EXPECT_EQ(Filtered(Make({2.0f, -2.4f, 1.0f}, {0.6f, 0.8f, 0.6f}), x), reference);
    EXPECT_EQ(Filtered(Make({1.0f, -1.2f, 0.5f, 0, 0, 0}, {0.3f, 0.4f, 0.3f, 0, 0, 0}), x),
              reference);
}

TEST(Filter, RejectedCoefficientsLeaveAPassThrough) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* name;
        std::vector<float> a, b;
        int nb;
    } cases[] = {{"a0 = 0", {0.0f, 1.0f}, {1.0f}, 1},
                 {"NaN", {1.0f}, {nan}, 1},
                 {"negative count", {1.0f}, {1.0f}, -1}};
    for (const auto& c : cases) {
        CFilter filter = Make({1.0f, -0.5f}, {1.0f});
        EXPECT_FALSE(filter.SetCoefficients(c.a.data(), int(c.a.size()), c.b.data(), c.nb))
            << c.name;
        EXPECT_EQ(filter.GetDenominatorCount(), 0) << c.name;
        const std::vector<float> x = {1, 0, 0.5f};
        EXPECT_EQ(Filtered(filter, x), x) << c.name;
    }
}

TEST(Filter, UnstableOutputIsHeldAtTheLimit) {
    std::vector<float> x(200, 0.0f);
    x[0] = 1.0f;
    const std::vector<float> y = Filtered(Make({1.0f, -2.0f}, {1.0f}), x);
    EXPECT_EQ(y[10], 1024.0f);
    EXPECT_EQ(y[199], 1048576.0f);
}

TEST(ApplyFilter, FiltersTheSourceIntoTheDerivedSignalOnly) {
    auto root = ts::Make({1, 2, 3, 4});
    EXPECT_FALSE(root->ApplyFilter(CFilter())) << "a root has no source";
    dsp::CSignal derived;
    ASSERT_EQ(derived.CreateFrom(root.get()), 0u);
    ASSERT_TRUE(derived.ApplyFilter(Make({1}, {0.5f, 0.5f})));
    EXPECT_EQ(std::vector<float>(derived.GetSamples(), derived.GetSamples() + 4),
              (std::vector<float>{0.5f, 1.5f, 2.5f, 3.5f}));
    EXPECT_EQ(root->GetSamples()[3], 4.0f) << "the source stays as it was";
    ASSERT_TRUE(derived.ApplyFilter(Make({1}, {2}))) << "replaces, not filters, the output";
    EXPECT_EQ(derived.GetSamples()[3], 8.0f);
    const float longer[] = {9, 9, 9, 9, 9};
    ASSERT_EQ(root->CreateFromSamples(root->GetFormat(), longer, 5), 0u);
    EXPECT_FALSE(derived.ApplyFilter(CFilter())) << "the source grew";
    EXPECT_EQ(derived.GetSamples()[0], 2.0f) << "nothing changes";
    const float shorter[] = {5, 6};
    ASSERT_EQ(root->CreateFromSamples(root->GetFormat(), shorter, 2), 0u);
    ASSERT_TRUE(derived.ApplyFilter(CFilter()));
    EXPECT_EQ(std::vector<float>(derived.GetSamples(), derived.GetSamples() + 4),
              (std::vector<float>{5, 6, 0, 0}))
        << "the source shrank: silence after its end";
}

} // namespace
