#include "app/CTryLog.h"

#include "platform/CLockedFile.h"
#include "platform/CText.h"

#include <charconv>
#include <cmath>
#include <ctime>
#include <limits>

namespace {

std::vector<std::string_view> Split(std::string_view line, char separator) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t end = line.find(separator, start);
        fields.push_back(line.substr(start, end - start));
        if (end == std::string_view::npos)
            return fields;
        start = end + 1;
    }
}

template <typename T> bool ReadNumber(std::string_view text, T& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size();
}

// Written without the C locale: the Qt application sets LC_NUMERIC to the user's, where a
// decimal comma would appear. Room for any time a hand-edited log may hold: sign, 309 digits,
// the point and one decimal.
std::string Seconds(double seconds) {
    char text[std::numeric_limits<double>::max_exponent10 + 5];
    const auto end =
        std::to_chars(text, text + sizeof text, seconds, std::chars_format::fixed, 1).ptr;
    return std::string(text, end);
}

// A tab or line break in a name would split the line.
std::string Cleaned(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return text;
}

std::string Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

void KeepRecent(std::vector<CTryLog::Try>& tries) {
    if (tries.size() > CTryLog::MAX_TRIES)
        tries.erase(tries.begin(), tries.end() - CTryLog::MAX_TRIES);
}

} // namespace

bool CTryLog::LoadFile(const std::string& path) {
    std::string text;
    {
        const CLockedFile file(path, CLockedFile::EOpenMode::ExistingOnly);
        if (!file.IsLocked() || !file.ReadAll(text, MAX_FILE_BYTES))
            return false;
    }
    std::vector<Try> tries;
    if (!Parse(text, tries))
        return false;
    m_tries = std::move(tries);
    m_unsaved.clear();
    return true;
}

bool CTryLog::SaveFile(const std::string& path) {
    if (m_unsaved.empty())
        return true;
    CLockedFile file(path, CLockedFile::EOpenMode::CreateIfMissing);
    if (!file.IsLocked() || !file.IsWritable())
        return false;
    std::string old;
    std::vector<Try> tries;
    // What stands there but is no log (damaged, too long, someone's own file) is kept beside
    // it before a fresh log replaces it.
    const bool read = file.ReadAll(old, MAX_FILE_BYTES);
    if (!(read && (old.empty() || Parse(old, tries))) &&
        file.KeepCopyAside(".unreadable-").empty())
        return false;
    tries.insert(tries.end(), m_unsaved.begin(), m_unsaved.end());
    KeepRecent(tries);
    if (!file.Replace(Format(tries)))
        return false;
    m_tries = std::move(tries);
    m_unsaved.clear();
    return true;
}

void CTryLog::Add(const std::wstring& slide, int points, int maximum, double seconds) {
    Try entry{Now(), Cleaned(CText::ToNarrow(slide)), points, maximum,
              std::isfinite(seconds) ? seconds : 0.0};
    m_unsaved.push_back(entry);
    m_tries.push_back(std::move(entry));
    KeepRecent(m_unsaved); // a log that cannot be saved does not grow without end
    KeepRecent(m_tries);
}

std::string CTryLog::Format(const std::vector<Try>& tries) {
    std::string text = std::string(HEADER) + "\n";
    for (const Try& t : tries)
        text += t.date + "\t" + t.slide + "\t" + std::to_string(t.points) + "\t" +
                std::to_string(t.maximum) + "\t" + Seconds(t.seconds) + "\n";
    return text;
}

bool CTryLog::Parse(std::string_view text, std::vector<Try>& tries) {
    const std::vector<std::string_view> lines = Split(text, '\n');
    if (lines.empty() || lines.front() != HEADER)
        return false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string_view> fields = Split(lines[i], '\t');
        Try t;
        if (fields.size() != 5 || fields[1].empty() || !ReadNumber(fields[2], t.points) ||
            !ReadNumber(fields[3], t.maximum) || !ReadNumber(fields[4], t.seconds) ||
            t.points < 0 || t.maximum < t.points || !std::isfinite(t.seconds))
            continue;
        t.date = fields[0];
        t.slide = fields[1];
        tries.push_back(std::move(t));
    }
    KeepRecent(tries);
    return true;
}
