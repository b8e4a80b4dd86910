#pragma once
// The player's recent tries, one per evaluated slide, in the order they were made: what the
// statistics' averages cannot tell, whether the player is getting better, and what the practice
// mode needs to find the weakest topic. Kept in a plain text file beside "stats", one tab-separated
// line per try after a header; replaced atomically under a lock, and merged with what other
// copies of the game sharing the folder saved meanwhile.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CTryLog {
public:
    struct Try {
        std::string date; // "YYYY-MM-DD HH:MM:SS", local time
        std::string slide; // the slide's file name, UTF-8
        int points = 0;
        int maximum = 0;
        double seconds = 0.0;

        bool operator==(const Try&) const = default;
    };

    static constexpr const char* HEADER = "datum\tfolie\tpunkte\tmaximum\tsekunden";
    // The oldest tries go first beyond this many: a trend needs the recent ones only.
    static constexpr std::size_t MAX_TRIES = 3000;
    static constexpr std::size_t MAX_FILE_BYTES = 1 << 20;

    // False when the file is missing, refused or not a log; the tries then stay as they were.
    bool LoadFile(const std::string& path);
    // Adds this run's unsaved tries to what the file holds now. False when nothing was written;
    // they are then kept for the next save.
    bool SaveFile(const std::string& path);

    void Add(const std::wstring& slide, int points, int maximum, double seconds);
    // Oldest first: the file's tries, then this run's.
    const std::vector<Try>& Tries() const { return m_tries; }

    static std::string Format(const std::vector<Try>& tries);
    // Lines that cannot be read are skipped. False without the header.
    static bool Parse(std::string_view text, std::vector<Try>& tries);

private:
    std::vector<Try> m_tries;
    std::vector<Try> m_unsaved;
};
