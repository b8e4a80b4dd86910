#pragma once
// A generator of an additive disturbance: adds its signal to a buffer of samples.

namespace dsp {

class CNoise {
public:
    virtual ~CNoise() = default;
    // Adds the generator's signal to buffer[0 .. count - 1], starting at its own time 0.
    virtual void AddTo(float* buffer, int count) const = 0;

protected:
    CNoise() = default;
    CNoise(const CNoise&) = default;
    CNoise& operator=(const CNoise&) = default;
};

} // namespace dsp
