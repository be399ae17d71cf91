#pragma once
// Port: whether this machine has any microphone at all, and word when microphones come and go. A machine
// without one is not a refused permission: the application says so instead of asking for access.
//
// Contract: used on the main thread; the handler is called there after each change of the input devices.

#include <functional>

namespace orbix {

class AudioInputDevices {
public:
    virtual ~AudioInputDevices() = default;
    virtual bool hasInputDevice() const = 0;
    // Replaces the handler called after the list of input devices changed.
    virtual void setInputsChangedHandler(std::function<void()> handler) = 0;
};

} // namespace orbix
