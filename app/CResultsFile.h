#pragma once
// The results of the courses played under an assignment, for the teacher's class report: a
// CSV file in the player's folder with a header and one line per slide of every finished
// course. Lines are only ever added; each save writes the whole file anew beside it and
// renames it into place under the lock, as the statistics are saved, so a crash or a full disk
// never costs the lines already there.

#include <string>
#include <vector>

class CResultsFile {
public:
    struct Row {
        std::wstring player;
        std::wstring code;
        std::wstring course;
        std::wstring slide;
        int points = 0;
        int maximum = 0;
        double seconds = 0.0;
        std::string date; // "YYYY-MM-DD HH:MM:SS"
    };

    static constexpr const char* FILE_NAME = "ergebnisse.csv";
    static constexpr const char* HEADER = "player,code,course,slide,points,maximum,seconds,date";

    explicit CResultsFile(std::string path) : m_path(std::move(path)) {}

    // Adds the rows at the end of the file, which gets the header when it is new. A file that
    // is not a results file (binary, another first line) is first kept beside it under a name
    // of its own and a new one begun. False when nothing was written: the file is then as it
    // was.
    bool Append(const std::vector<Row>& rows);
    // What to tell the player after Append: why it failed, or where a file that was not a
    // results file now lies; empty when all went as usual.
    const std::wstring& Message() const { return m_message; }

    // One line of the file, with its line break.
    static std::string Line(const Row& row);
    // The local time as the file writes it.
    static std::string Now();

private:
    bool Fail(const std::wstring& why);

    std::string m_path;
    std::wstring m_message;
};
