#include "platform/CSoundOutput.h"

#include "platform/CPortAudioOutput.h"

#include <mutex>

namespace {

std::mutex g_factoryMutex;
CSoundOutput::Factory g_factory; // empty: the default device

} // namespace

bool CSoundFormat::IsPlayable() const {
    if (bitsPerSample != 8 && bitsPerSample != 16)
        return false;
    return sampleRate > 0 && channels > 0 && blockAlign >= channels * (bitsPerSample / 8);
}

std::unique_ptr<CSoundOutput> CSoundOutput::Make() {
    Factory factory;
    {
        std::lock_guard lock(g_factoryMutex);
        factory = g_factory;
    }
    if (factory)
        return factory();
    return std::make_unique<CPortAudioOutput>();
}

CSoundOutput::Factory CSoundOutput::SetFactory(Factory factory) {
    std::lock_guard lock(g_factoryMutex);
    std::swap(g_factory, factory);
    return factory;
}
