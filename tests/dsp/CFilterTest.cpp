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

// The difference equation evaluated in double precision, the most direct way.
std::vector<double> Reference(const std::vector<float>& a, const std::vector<float>& b,
                              const std::vector<float>& x) {
    std::vector<double> y(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        double s = 0;
        for (std::size_t j = 0; j < b.size() && j <= i; ++j)
            s += double(b[j]) * x[i - j];
        for (std::size_t j = 1; j < a.size() && j <= i; ++j)
            s -= double(a[j]) * y[i - j];
        y[i] = s / a[0];
    }
    return y;
}

TEST(Filter, KnownResponses) {
    const std::vector<float> impulse = {1, 0, 0, 0, 0, 0};
    const struct {
        const char* name;
        std::vector<float> a, b, x, expected;
    } cases[] = {
        {"no coefficients copies", {}, {}, {0.3f, -0.7f, 1.0f}, {0.3f, -0.7f, 1.0f}},
        {"moving average", {1}, {0.5f, 0.5f}, {2, 4, 6, 8, -8}, {1, 3, 5, 7, 0}},
        {"one pole", {1, -0.5f}, {1}, impulse, {1, 0.5f, 0.25f, 0.125f, 0.0625f, 0.03125f}},
        {"b = a = 2 is the identity", {2}, {2}, {0.1f, -0.9f, 0.33f}, {0.1f, -0.9f, 0.33f}},
        {"delay", {1}, {0, 0, 1}, {1, 2, 3, 4}, {0, 0, 1, 2}},
        {"one sample", {1, -0.5f}, {0.5f, 0.5f}, {4}, {2}},
    };
    for (const auto& c : cases) {
        const CFilter filter = Make(c.a, c.b);
        const std::vector<float> y = Filtered(filter, c.x);
        for (std::size_t i = 0; i < y.size(); ++i)
            EXPECT_FLOAT_EQ(y[i], c.expected[i]) << c.name << " at " << i;
    }
}

// Orders on either side, and signals shorter than the equation reaches back.
TEST(Filter, MatchesTheDifferenceEquation) {
    const struct {
        std::vector<float> a, b;
    } sets[] = {
        {{1.0f, -1.6f, 0.81f}, {0.2f, 0.3f, 0.2f}},
        {{2.0f, -0.4f}, {0.5f, -0.25f, 0.125f, 0.7f, 0.1f}},
        {{1.0f, 0.3f, -0.2f, 0.1f, 0.05f}, {0.9f}},
        {{0.5f}, {1.0f, -1.0f}},
        {{1.0f, -0.5f, 0.1f, 0.05f, -0.02f, 0.01f, 0.003f}, {0.3f, 0.2f, 0.1f, 0.1f, 0.1f, 0.1f}}};
    for (const auto& s : sets)
        for (const int n : {1, 2, 3, 4, 7, 2000}) {
            const std::vector<float> x = ts::Noise(n, 1.0f, n);
            const std::vector<float> y = Filtered(Make(s.a, s.b), x);
            const std::vector<double> expected = Reference(s.a, s.b, x);
            for (int i = 0; i < n; ++i)
                ASSERT_NEAR(y[i], expected[i], 1e-4 * (1 + std::fabs(expected[i])))
                    << "n " << n << " i " << i << " na " << s.a.size();
        }
}

// Scaling every coefficient by 2 scales each sum by 2 and g by 1/2, both exactly; zeros added at
// the far end add exact zeros. Whatever loop runs a filter, such equivalent filters must give
// the same output to the bit.
TEST(Filter, EquivalentCoefficientSetsGiveIdenticalOutput) {
    const std::vector<float> x = ts::Noise(5000, 1.0f, 77);
    const std::vector<float> reference = Filtered(Make({1.0f, -1.2f, 0.5f}, {0.3f, 0.4f, 0.3f}), x);
    const struct {
        const char* name;
        std::vector<float> a, b;
    } equivalents[] = {
        {"doubled", {2.0f, -2.4f, 1.0f}, {0.6f, 0.8f, 0.6f}},
        {"padded to order 6", {1.0f, -1.2f, 0.5f, 0, 0, 0}, {0.3f, 0.4f, 0.3f, 0, 0, 0}},
    };
    for (const auto& e : equivalents)
        EXPECT_EQ(Filtered(Make(e.a, e.b), x), reference) << e.name;
}

TEST(Filter, RejectedCoefficientsLeaveAPassThrough) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        const char* name;
        std::vector<float> a, b;
        int na, nb;
    } cases[] = {{"a0 = 0", {0.0f, 1.0f}, {1.0f}, 2, 1},
                 {"NaN", {1.0f}, {nan}, 1, 1},
                 {"infinity", {1.0f, inf}, {1.0f}, 2, 1},
                 {"negative count", {1.0f}, {1.0f}, 1, -1},
                 {"missing array", {}, {}, 1, 0}};
    for (const auto& c : cases) {
        CFilter filter = Make({1.0f, -0.5f}, {1.0f});
        EXPECT_FALSE(
            filter.SetCoefficients(c.a.empty() ? nullptr : c.a.data(), c.na, c.b.data(), c.nb))
            << c.name;
        EXPECT_EQ(filter.GetDenominatorCount(), 0) << c.name;
        EXPECT_EQ(filter.GetNumeratorCount(), 0) << c.name;
        const std::vector<float> x = {1, 0, 0.5f};
        EXPECT_EQ(Filtered(filter, x), x) << c.name;
    }
}

TEST(Filter, UnstableOutputIsHeldAtTheLimit) {
    const CFilter filter = Make({1.0f, -2.0f}, {1.0f});
    std::vector<float> x(200, 0.0f);
    x[0] = 1.0f;
    const std::vector<float> y = Filtered(filter, x);
    EXPECT_EQ(y[10], 1024.0f);
    EXPECT_EQ(y[20], 1048576.0f);
    EXPECT_EQ(y[199], 1048576.0f);
}

TEST(ApplyFilter, FiltersTheSourceIntoTheDerivedSignal) {
    auto root = ts::Make({1, 2, 3, 4});
    dsp::CSignal derived;
    ASSERT_EQ(derived.CreateFrom(root.get()), 0u);
    ASSERT_TRUE(derived.ApplyFilter(Make({1}, {0.5f, 0.5f})));
    EXPECT_EQ(std::vector<float>(derived.GetSamples(), derived.GetSamples() + 4),
              (std::vector<float>{0.5f, 1.5f, 2.5f, 3.5f}));
    EXPECT_EQ(root->GetSamples()[3], 4.0f) << "the source stays as it was";
    // A second filter replaces the output; it does not filter the previous one.
    ASSERT_TRUE(derived.ApplyFilter(Make({1}, {2})));
    EXPECT_EQ(derived.GetSamples()[3], 8.0f);
}

TEST(ApplyFilter, RefusesWithoutASourceOrWithALongerOne) {
    auto root = ts::Make({1, 2, 3});
    EXPECT_FALSE(root->ApplyFilter(CFilter()));
    dsp::CSignal derived;
    ASSERT_EQ(derived.CreateFrom(root.get()), 0u);
    ASSERT_TRUE(derived.ApplyFilter(CFilter()));
    const float longer[] = {9, 9, 9, 9};
    // The source's own format block, handed back to it.
    ASSERT_EQ(root->CreateFromSamples(root->GetFormat(), longer, 4), 0u);
    EXPECT_FALSE(derived.ApplyFilter(CFilter()));
    EXPECT_EQ(derived.GetSamples()[0], 1.0f) << "nothing changes";
}

} // namespace
