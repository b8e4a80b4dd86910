#include "platform/CSoundInput.h"

#include "platform/CDeviceFactory.h"
#include "platform/CPortAudioInput.h"

namespace {

using Devices = CDeviceFactory<CSoundInput, CPortAudioInput>;

} // namespace

std::unique_ptr<CSoundInput> CSoundInput::Make() { return Devices::Make(); }

CSoundInput::Factory CSoundInput::SetFactory(Factory factory) {
    return Devices::Set(std::move(factory));
}
