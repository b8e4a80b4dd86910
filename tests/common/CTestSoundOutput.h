#pragma once
// A sound output for tests that plays nothing: it records every block queued on the test's
// Device and reports a block done only when the test says so. Every output the installed
// factory makes queues into the one Device, which plays from the moment an output starts it.

#include "platform/CSoundOutput.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

class CTestSoundOutput final : public CSoundOutput {
public:
    class Device {
    public:
        struct Block {
            int block = 0;
            std::vector<std::uint8_t> bytes;
        };
        static constexpr std::chrono::milliseconds WAIT{5000};

        // While false, outputs on this device fail to open (no device).
        void SetAvailable(bool available) {
            std::lock_guard lock(m_mutex);
            m_available = available;
        }
        // Reports the oldest queued block done, on the calling thread. False when nothing is
        // queued within the timeout.
        bool FinishNext(std::chrono::milliseconds timeout = WAIT);
        // Waits until count blocks have been queued since the device was made.
        bool WaitForQueued(std::size_t count, std::chrono::milliseconds timeout = WAIT) const;
        // Waits until no output on this device is open any more.
        bool WaitUntilClosed(std::chrono::milliseconds timeout = WAIT) const;

        // Every block queued since the device was made, in order.
        std::vector<Block> Queued() const { return Locked(m_queued); }
        // When an output last started it, and how many blocks it held then.
        std::chrono::steady_clock::time_point StartedAt() const { return Locked(m_startedAt); }
        std::size_t QueuedAtStart() const { return Locked(m_queuedAtStart); }
        std::size_t PendingCount() const { return Locked(m_pending).size(); }
        int OpenCount() const { return Locked(m_opens); }     // successful opens so far
        bool IsOpen() const { return Locked(m_openNow) > 0; } // an output is open now
        CSoundFormat LastFormat() const { return Locked(m_format); }

    private:
        friend class CTestSoundOutput;
        template <typename T> T Locked(const T& member) const {
            std::lock_guard lock(m_mutex);
            return member;
        }
        struct Pending {
            CTestSoundOutput* output;
            int block;
        };

        mutable std::mutex m_mutex;
        mutable std::condition_variable m_changed;
        bool m_available = true;
        int m_opens = 0;
        int m_openNow = 0;
        std::chrono::steady_clock::time_point m_startedAt;
        std::size_t m_queuedAtStart = 0;
        CSoundFormat m_format;
        std::deque<Pending> m_pending;
        std::vector<Block> m_queued;
    };

    explicit CTestSoundOutput(std::shared_ptr<Device> device);
    ~CTestSoundOutput() override;
    CTestSoundOutput(const CTestSoundOutput&) = delete;
    CTestSoundOutput& operator=(const CTestSoundOutput&) = delete;

    // Makes the sound outputs outputs on device; returns the factory that was installed before.
    static Factory Install(std::shared_ptr<Device> device);

    bool Open(const CSoundFormat& format, IListener& listener) override;
    bool Queue(int block, const std::uint8_t* bytes, std::size_t size) override;
    bool Start() override;
    void Close() override;
    void Abort() override { Close(); }

private:
    std::shared_ptr<Device> m_device;
    IListener* m_listener = nullptr; // guarded by the device's mutex; null while closed
    bool m_started = false;          // guarded by the device's mutex
};
