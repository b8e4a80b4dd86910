#pragma once
// Loops over float arrays written so that the compiler turns them into SIMD code at the
// project's optimisation level: unaliased (restrict) parameters and inner loops of a fixed
// length, with the remainder done one by one.

#include <algorithm>
#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace dsp {

class CFloatBlocks {
public:
    // out[i] = a[i] * b[i] for i < N; N a multiple of BLOCK.
    template <int N>
    static void Multiply(const float* __restrict a, const float* __restrict b,
                         float* __restrict out) {
        static_assert(N % BLOCK == 0);
        for (int i = 0; i < N; ++i)
            out[i] = a[i] * b[i];
    }

    // power[k] += re^2 + im^2 of the interleaved complex values[k] for k < N; N a multiple of
    // BLOCK.
    template <int N>
    static void AddSquaredMagnitudes(const float* __restrict values, float* __restrict power) {
        static_assert(N % BLOCK == 0);
        for (int k = 0; k < N; ++k)
            power[k] += values[2 * k] * values[2 * k] + values[2 * k + 1] * values[2 * k + 1];
    }

    // Scales and holds every product within the float range (no infinity from finite input).
    static void ScaleLimited(float* values, std::size_t count, float factor) {
        const std::size_t whole = count - count % BLOCK;
        for (std::size_t start = 0; start < whole; start += BLOCK)
            ScaleLimitedBlock(values + start, factor);
        for (std::size_t i = whole; i < count; ++i)
            values[i] = Limited(values[i] * factor);
    }

    // The largest |value| of finite values.
    static float LargestMagnitude(const float* values, std::size_t count) {
        std::int32_t largest = 0;
        const std::size_t whole = count - count % BLOCK;
        for (std::size_t start = 0; start < whole; start += BLOCK)
            largest = std::max(largest, LargestBitsOfBlock(values + start));
        for (std::size_t i = whole; i < count; ++i)
            largest = std::max(largest, MagnitudeBits(values[i]));
        float result;
        std::memcpy(&result, &largest, sizeof result);
        return result;
    }

private:
    static constexpr int BLOCK = 64;

    static void ScaleLimitedBlock(float* __restrict values, float factor) {
        for (int i = 0; i < BLOCK; ++i)
            values[i] = Limited(values[i] * factor);
    }

    static float Limited(float v) {
        v = v < -FLT_MAX ? -FLT_MAX : v;
        return v > FLT_MAX ? FLT_MAX : v;
    }

    // For finite floats the order of the magnitudes is the order of their bit patterns with the
    // sign cleared, so the search runs on integers (which also vectorise without fast-math).
    static std::int32_t LargestBitsOfBlock(const float* __restrict values) {
        std::int32_t largest = 0;
        for (int i = 0; i < BLOCK; ++i) {
            const std::int32_t bits = MagnitudeBits(values[i]);
            largest = largest < bits ? bits : largest;
        }
        return largest;
    }

    static std::int32_t MagnitudeBits(float v) {
        std::int32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return bits & 0x7FFFFFFF;
    }
};

} // namespace dsp
