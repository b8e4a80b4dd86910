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

    // Reads the file under an exclusive lock. False when it is missing, refused (a symbolic
    // link, no regular file) or not a statistics document; the statistics then stay as they
    // were.
    bool LoadFile(const std::string& path = FILE_NAME);
    // Replaces the file atomically under an exclusive lock. Other copies of the game may have
    // saved since we loaded (a class sharing one folder): the file is read again under the lock
    // and this run's new results are added to what it holds, so every copy's results stay.
    // False when nothing was written (SaveError says why); the previous file is then untouched
    // and this run's results are kept for the next save. A write-protected file and a symbolic
    // link are never replaced; a file that is not a statistics document is first kept beside
    // it ("stats.unreadable-<time>").
    bool SaveFile(const std::string& path = FILE_NAME);
    // Why the last SaveFile failed, as an errno value (EMSGSIZE: even without any slide entry
    // the document is too long); 0 after a save that worked.
    int SaveError() const { return m_saveError; }
    // The German sentence that tells the player a save failed, and why.
    static std::wstring SaveFailureText(int error);

    // Decodes the file's text; on success the statistics become exactly what it holds.
    bool LoadStatistics(const char* text, std::size_t length);
    // The file's text. A document too long for MAX_TEXT_SIZE leaves out slide entries, the
    // least played first (among equally played ones, those not played in this run first, then
    // the name last in byte-wise order first), until it fits; course entries and high scores
    // always stay. False when it does not fit even so.
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
    // What this run added since the last save (or the load): applied to the file's contents.
    struct SlideGain {
        int played = 0;
        double points = 0.0; // sums
        double time = 0.0;
    };
    struct CourseGain {
        SlideGain results;
        ScoreList scores; // every score of this run, named as the player named it
    };

    bool ReadForMerge(const CLockedFile& file);
    void Merge(const std::map<std::string, SlideGain>& slides,
               const std::map<std::string, CourseGain>& courses);
    static bool KeepIfUnreadable(const CLockedFile& file);
    bool SaveFailed(int error);

    SlideMap m_slides;
    CourseMap m_courses;
    std::map<std::string, SlideGain> m_slideGains;
    std::map<std::string, CourseGain> m_courseGains;
    int m_saveError = 0;
};
