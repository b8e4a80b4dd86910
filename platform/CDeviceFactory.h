#pragma once
// The maker of a kind of sound device (output or input): the real device unless a test has
// set a factory of its own. Any thread may make a device while another sets the factory.

#include <functional>
#include <memory>
#include <mutex>
#include <utility>

template <typename Device, typename RealDevice> class CDeviceFactory {
public:
    using Factory = std::function<std::unique_ptr<Device>()>;

    static std::unique_ptr<Device> Make() {
        Factory factory;
        {
            std::lock_guard lock(Mutex());
            factory = Slot();
        }
        if (factory)
            return factory();
        return std::make_unique<RealDevice>();
    }

    // Sets the factory (empty: the real device) and gives back the one before.
    static Factory Set(Factory factory) {
        std::lock_guard lock(Mutex());
        std::swap(Slot(), factory);
        return factory;
    }

private:
    static std::mutex& Mutex() {
        static std::mutex mutex;
        return mutex;
    }
    static Factory& Slot() {
        static Factory factory;
        return factory;
    }
};
