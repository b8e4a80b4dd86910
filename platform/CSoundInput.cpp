#include "platform/CSoundInput.h"

#include "platform/CPortAudioInput.h"

#include <mutex>

namespace {

std::mutex g_factoryMutex;
CSoundInput::Factory g_factory; // empty: the default device

} // namespace

std::unique_ptr<CSoundInput> CSoundInput::Make() {
    Factory factory;
    {
        std::lock_guard lock(g_factoryMutex);
        factory = g_factory;
    }
    if (factory)
        return factory();
    return std::make_unique<CPortAudioInput>();
}

CSoundInput::Factory CSoundInput::SetFactory(Factory factory) {
    std::lock_guard lock(g_factoryMutex);
    std::swap(g_factory, factory);
    return factory;
}
