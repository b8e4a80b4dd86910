#pragma once
// Splits CSV text into records the way RFC 4180 writes them: fields separated by commas, a
// field in double quotes may hold commas, line breaks and doubled quotes. Lines end in LF or
// CR LF. A record whose quoting is broken is reported, and reading goes on with the next line,
// so one damaged line costs only itself.

#include <string>
#include <string_view>
#include <vector>

class CCsvReader {
public:
    enum class EResult { Record, Malformed, End };

    explicit CCsvReader(std::string_view text);

    // The next record's fields; Malformed leaves them undefined and Problem() says why.
    EResult Next(std::vector<std::string>& fields);
    // The line the last record began on, counted from 1.
    int Line() const { return m_recordLine; }
    const char* Problem() const { return m_problem; }

private:
    EResult ReadQuoted(std::string& field);
    EResult ReadPlain(std::string& field);
    EResult Fail(const char* problem);
    // At a comma, a line end or the end of the text.
    bool AtFieldEnd() const;
    bool SkipComma();
    void SkipLineEnd();

    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_line = 1;
    int m_recordLine = 0;
    const char* m_problem = "";
};
