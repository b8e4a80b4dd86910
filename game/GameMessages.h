#pragma once
// The registered messages of the game; every window that handles one agrees on its number.

#include "platform/CWindowMessages.h"

namespace game {

inline UINT UwmSwitchPanels() {
    static const UINT message = CWindowMessages::Register("UWM_SWITCH_PANELSUSE_GUID");
    return message;
}

inline UINT UwmCreateNextSlide() {
    static const UINT message = CWindowMessages::Register("UWM_CREATE_NEXT_SLIDEUSE_GUID");
    return message;
}

} // namespace game
