#pragma once
// The audio examples that ship with the game: each one a WAV file and, beside it, a "txt"
// file whose first line is the German description the wave plots show as their tooltip.

#include "tools/CWaveWriter.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace examples {

class CSynth;

struct Example {
    std::string name; // file name without extension, plain ASCII
    PcmFormat format;
    double seconds;
    std::string description; // UTF-8, one line
    std::function<CWaveWriter::Channels(const CSynth&)> make;
    // Short excerpts that show a few periods keep their ends: a ramp would bend the shape.
    bool fade = true;

    int Frames() const;
};

class CExampleSet {
public:
    static const std::vector<Example>& All();

    // The complete WAV file of an example.
    static std::vector<std::uint8_t> WaveBytes(const Example& example);
    // Writes name.wav and name.txt into the folder; false when a file cannot be written.
    static bool Write(const Example& example, const std::filesystem::path& folder);
    // Removes WAV and txt files of the folder that belong to no example (examples that were
    // renamed or dropped), so that the game's random picks come only from the current set.
    // The names of the files removed.
    static std::vector<std::string> RemoveStale(const std::filesystem::path& folder);
};

} // namespace examples
