#pragma once
// What the game remembers across runs: how often each slide and course was played, the average
// points and times, and each course's best results with the players' names. The file "stats"
// holds it as an XML document, scrambled byte by byte and written as hexadecimal digits, so that
// players do not simply edit their way into the high-score list.

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class CLockedFile;

class CGameStatistics {
public:
    struct Score {
        std::string name; // UTF-8
        int points = 0;
        double time = 0.0; // seconds

        bool operator==(const Score&) const = default;
    };
    // Best first: more points first, then less time. Entries equal in points and time are one.
    using ScoreList = std::vector<Score>;

    struct SlideStat {
        double avrg_time = 0.0; // seconds
        double avrg_points = 0.0;
        int played = 0;

        bool operator==(const SlideStat&) const = default;
    };

    struct CourseStat {
        double avrg_time = 0.0; // seconds
        double avrg_points = 0.0;
        ScoreList scores; // all of this run's scores; only the best ten are saved
        int played = 0;

        bool operator==(const CourseStat&) const = default;
    };

    // Keyed by UTF-8 names, in byte-wise order.
    using SlideMap = std::map<std::string, SlideStat>;
    using CourseMap = std::map<std::string, CourseStat>;

    static constexpr const char* FILE_NAME = "stats";
    static constexpr const char* UNKNOWN_PLAYER = "Unbekannt";
    static constexpr std::size_t MAX_SAVED_SCORES = 10;
    // Longer player names, slide names and course titles are cut to this many characters.
    static constexpr std::size_t MAX_NAME_LENGTH = 40;
    static constexpr std::size_t MAX_KEY_LENGTH = 255;
    // The saved text, with room for a terminating zero, must fit this many bytes: the longest
    // document that can be saved has 65535 bytes.
    static constexpr std::size_t MAX_TEXT_SIZE = 0x20000;

    // Reads the file under an exclusive lock. False when it is missing or not a statistics
    // document; the statistics then stay as they were.
    bool LoadFile(const std::string& path = FILE_NAME);
    // Replaces the file atomically under an exclusive lock. False when nothing was written; the
    // previous file is then untouched. A write-protected file is never replaced; a file that
    // is not a statistics document is first kept beside it ("stats.unreadable-<time>").
    bool SaveFile(const std::string& path = FILE_NAME) const;

    // Decodes the file's text; on success the statistics become exactly what it holds.
    bool LoadStatistics(const char* text, std::size_t length);
    // The file's text: false when the document is too long for MAX_TEXT_SIZE.
    bool SaveStatistics(std::string& text) const;

    void AddSlideResult(const std::wstring& slideName, int points, double seconds);
    // Returns the list position of the new score (0 = best); an equal score already listed is
    // kept instead, and its position returned.
    int AddCourseResult(const std::wstring& courseTitle, int points, double seconds);
    // False when the course has no record or no entry at that position.
    bool SetScoreName(const std::wstring& courseTitle, int position, const std::wstring& name);
    // A course never played gets an empty record here, which is saved with the rest.
    const ScoreList& GetScores(const std::wstring& courseTitle);

    const SlideMap& GetSlides() const { return m_slides; }
    const CourseMap& GetCourses() const { return m_courses; }

    // The scrambled hexadecimal form of the file and back. Decoding fails on any character that
    // is not a hexadecimal digit; a last digit without a partner is ignored.
    static std::string EncodeText(std::string_view plain);
    static bool DecodeText(std::string_view digits, std::string& plain);

private:
    static bool KeepIfUnreadable(const CLockedFile& file);

    SlideMap m_slides;
    CourseMap m_courses;
};
