#include "platform/CSoundOutput.h"

#include "platform/CDeviceFactory.h"
#include "platform/CPortAudioOutput.h"

bool CSoundFormat::IsPlayable() const {
    if (bitsPerSample != 8 && bitsPerSample != 16)
        return false;
    return sampleRate > 0 && channels > 0 && blockAlign >= channels * (bitsPerSample / 8);
}

namespace {

using Devices = CDeviceFactory<CSoundOutput, CPortAudioOutput>;

} // namespace

std::unique_ptr<CSoundOutput> CSoundOutput::Make() { return Devices::Make(); }

CSoundOutput::Factory CSoundOutput::SetFactory(Factory factory) {
    return Devices::Set(std::move(factory));
}
