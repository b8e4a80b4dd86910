#pragma once
// The teacher's summary of the results files the game writes for courses played under an
// assignment code (one line per slide: player, code, course, slide, points, maximum, seconds,
// date). Reads any number of them and writes a CSV table and a self-contained HTML page.
//
// A student who played a slide more than once counts with the best attempt: the most points,
// of equal points the shortest time. Per slide the report gives how many students played it,
// the share who solved it (all its points, of more than none) and the median of their times;
// per student the points and maximum of each course, summed over the best attempts of its
// slides. Courses, slides and students appear in the order the files first name them.
//
// What cannot be used is reported ("file:line: reason") and skipped; the rest still counts.

#include <map>
#include <set>
#include <string>
#include <vector>

class CClassReport {
public:
    // Larger files are no results of a class; reading them would only fill the memory.
    static constexpr std::size_t MAX_FILE_BYTES = 64u << 20;

    void AddFile(const std::string& path);
    bool HasResults() const { return !m_best.empty(); }

    // Writes BASENAME.csv and BASENAME.html, each atomically. Refuses, before writing
    // anything, an output that is one of the files read; false (with a message) on any failure.
    bool Write(const std::string& basename);

    // What went wrong so far, in German, in the order it happened.
    const std::vector<std::string>& Messages() const { return m_messages; }
    int LinesUsed() const { return m_linesUsed; }
    int LinesSkipped() const { return m_linesSkipped; }

private:
    struct Attempt {
        long long points = 0;
        long long maximum = 0;
        double seconds = 0;
    };
    struct Total {
        long long points = 0;
        long long maximum = 0;
    };
    struct SlideKey {
        std::string course;
        std::string slide;
        auto operator<=>(const SlideKey&) const = default;
    };
    struct SlideSummary {
        int players = 0;
        int solved = 0;
        bool scored = false; // some student could reach points on it
        double medianSeconds = 0;
    };

    std::string Csv() const;
    std::string Html() const;
    std::string SlidesSection() const;
    std::string StudentsSection() const;
    bool ReadFile(const std::string& path, std::string& text);
    void AddText(const std::string& path, const std::string& text);
    // Empty when the line counts, else why not.
    std::string AddRecord(const std::vector<std::string>& fields);
    void Report(const std::string& where, const std::string& reason);
    SlideSummary Summarise(const SlideKey& slide) const;
    // The slides of each course in course order.
    std::vector<SlideKey> SlidesInOrder() const;
    // Per student, the best attempts summed per course, by the course's place in m_courses.
    using Totals = std::map<std::string, std::map<std::size_t, Total>>;
    Totals TotalsByPlayer() const;
    std::string Period() const;
    bool WriteOne(const std::string& path, const std::string& contents);
    bool IsInput(const std::string& path) const;

    std::vector<std::string> m_inputs;
    std::vector<std::string> m_courses;
    std::vector<SlideKey> m_slides;
    std::vector<std::string> m_players;
    std::map<std::string, std::size_t> m_courseOrder; // a course's place in m_courses
    std::set<std::string> m_seenPlayers;
    std::set<SlideKey> m_seenSlides;
    std::map<std::pair<SlideKey, std::string>, Attempt> m_best;
    std::set<std::string> m_codes;
    std::string m_firstDate, m_lastDate;
    std::vector<std::string> m_messages;
    int m_linesUsed = 0;
    int m_linesSkipped = 0;
};
