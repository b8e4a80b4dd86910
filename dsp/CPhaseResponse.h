#pragma once
// The phase of a filter's frequency response H = B / A over 0 .. pi radians per sample, in
// double precision, unwrapped so that it runs on without the jumps of 2 pi that the angle of
// a complex number makes; and the group delay -d(phase)/d(omega) in samples, the time by
// which the filter delays a narrow band around each frequency.
//
// A delay of D samples has the phase -D omega, a straight line, and the group delay D.
// A zero on the unit circle turns the phase by pi (half a turn) at once: that jump is real
// and stays.

#include <vector>

namespace dsp {

class CFilter;

class CPhaseResponse {
public:
    // The unwrapped phase in radians at count frequencies from 0 to pi (none for a count
    // below 2), starting within (-pi, pi] at 0. Where the response is 0 the phase is taken
    // from its neighbour.
    static std::vector<double> Phase(const CFilter& filter, int count);
    // The group delay in samples at the same frequencies, from the polynomials themselves
    // (no difference of phases): for P(z) = sum c[k] z^-k it is Re(sum k c[k] e^-jwk / P),
    // that of B less that of A. Where B or A is 0 it is taken from the neighbour.
    static std::vector<double> GroupDelay(const CFilter& filter, int count);
};

} // namespace dsp
