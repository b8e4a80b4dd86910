#pragma once
// An array in memory from FFTW's aligned allocator, released with it. Every array that FFTW
// reads or writes comes from here, so plans can use the SIMD paths that need aligned data.

#include <fftw3.h>

#include <cstddef>
#include <utility>

namespace dsp {

template <typename T> class CFftwBuffer {
public:
    CFftwBuffer() = default;
    ~CFftwBuffer() { Release(); }
    CFftwBuffer(const CFftwBuffer&) = delete;
    CFftwBuffer& operator=(const CFftwBuffer&) = delete;
    CFftwBuffer(CFftwBuffer&& other) noexcept
        : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)) {}
    CFftwBuffer& operator=(CFftwBuffer&& other) noexcept {
        if (this != &other) {
            Release();
            m_data = std::exchange(other.m_data, nullptr);
            m_size = std::exchange(other.m_size, 0);
        }
        return *this;
    }

    // Replaces the contents by count uninitialised elements. False (and empty) when the
    // memory cannot be had or count is 0.
    bool Allocate(std::size_t count) {
        Release();
        if (count == 0 || count > static_cast<std::size_t>(-1) / sizeof(T))
            return false;
        m_data = static_cast<T*>(fftwf_malloc(count * sizeof(T)));
        m_size = m_data ? count : 0;
        return m_data != nullptr;
    }

    void Release() {
        if (m_data)
            fftwf_free(m_data);
        m_data = nullptr;
        m_size = 0;
    }

    T* Get() { return m_data; }
    const T* Get() const { return m_data; }
    std::size_t Size() const { return m_size; }
    bool IsEmpty() const { return m_data == nullptr; }

private:
    T* m_data = nullptr;
    std::size_t m_size = 0;
};

} // namespace dsp
