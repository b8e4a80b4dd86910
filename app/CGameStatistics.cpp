#include "app/CGameStatistics.h"

#include "platform/CLockedFile.h"
#include "platform/CText.h"

#include <tinyxml2.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <ctime>
#include <utility>

using tinyxml2::XMLElement;

namespace {

// The first byte of the file is scrambled with this value; every later one with the byte before
// it. Any nonzero value hides the plain "<?xml" at the start; this one flips both nibbles.
// Changing it makes every existing "stats" file unreadable.
constexpr unsigned char SCRAMBLE_START = 0xA5;

constexpr char HEX_DIGITS[] = "0123456789ABCDEF";

// Lowercase digits count as their uppercase twins; anything else is not ours.
int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// A NaN or infinite value, which only a damaged or edited file can hold, would poison every
// later average and break the best-first order of the scores; it counts as zero.
double Finite(double value) {
    return std::isfinite(value) ? value : 0.0;
}

double UpdateAverage(double average, int count, double value) {
    const double n = count;
    const double mean = (n * average + value) / (n + 1.0);
    if (std::isfinite(mean))
        return mean;
    // Only absurd loaded values get here, where n * average overflowed.
    return Finite(average + (value - average) / (n + 1.0));
}

int NextCount(int count) {
    return count < INT_MAX ? count + 1 : count;
}

bool IsBetter(const CGameStatistics::Score& a, const CGameStatistics::Score& b) {
    if (a.points != b.points)
        return a.points > b.points;
    return a.time < b.time;
}

// Keeps the list best first; a score equal in points and time to a listed one is not added.
// Returns the position of the score that now stands for it.
int InsertScore(CGameStatistics::ScoreList& scores, CGameStatistics::Score score) {
    auto at = std::lower_bound(scores.begin(), scores.end(), score, IsBetter);
    if (at == scores.end() || IsBetter(score, *at))
        at = scores.insert(at, std::move(score));
    return static_cast<int>(at - scores.begin());
}

// Numbers are written and read without the C locale functions: the Qt application switches
// LC_NUMERIC to the user's locale, where "%g" would write a decimal comma.
std::string FormatInt(int value) {
    char text[16];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

// The "%g" form: six significant digits, trailing zeros dropped.
std::string FormatDouble(double value) {
    char text[32];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6).ptr;
    return std::string(text, end);
}

// An attribute that is missing, malformed or out of range keeps its default.
template <typename T> T ReadNumber(const XMLElement& element, const char* name, T fallback) {
    const char* text = element.Attribute(name);
    if (text == nullptr)
        return fallback;
    const std::string_view digits(text);
    T value{};
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc{} || end != digits.data() + digits.size())
        return fallback;
    return value;
}

int ReadCount(const XMLElement& element, const char* name) {
    return std::max(0, ReadNumber(element, name, 0));
}

double ReadDouble(const XMLElement& element, const char* name) {
    return Finite(ReadNumber(element, name, 0.0));
}

void WriteCommon(XMLElement& element, const std::string& title, int played, double avrgPoints,
                 double avrgTime) {
    element.SetAttribute("titel", title.c_str());
    element.SetAttribute("played", FormatInt(played).c_str());
    element.SetAttribute("avrg_points", FormatDouble(avrgPoints).c_str());
    element.SetAttribute("avrg_time", FormatDouble(avrgTime).c_str());
}

void WriteSlides(XMLElement& parent, const CGameStatistics::SlideMap& slides) {
    for (const auto& [title, stat] : slides) {
        XMLElement* slide = parent.InsertNewChildElement("slide");
        WriteCommon(*slide, title, stat.played, stat.avrg_points, stat.avrg_time);
    }
}

void WriteCourses(XMLElement& parent, const CGameStatistics::CourseMap& courses) {
    for (const auto& [title, stat] : courses) {
        XMLElement* course = parent.InsertNewChildElement("course");
        WriteCommon(*course, title, stat.played, stat.avrg_points, stat.avrg_time);
        XMLElement* scores = course->InsertNewChildElement("scores");
        const std::size_t saved = std::min(stat.scores.size(), CGameStatistics::MAX_SAVED_SCORES);
        for (std::size_t i = 0; i < saved; ++i) {
            XMLElement* score = scores->InsertNewChildElement("score");
            score->SetAttribute("name", stat.scores[i].name.c_str());
            score->SetAttribute("points", FormatInt(stat.scores[i].points).c_str());
            score->SetAttribute("time", FormatDouble(stat.scores[i].time).c_str());
        }
    }
}

void ReadSlides(const XMLElement& parent, CGameStatistics::SlideMap& slides) {
    for (const XMLElement* slide = parent.FirstChildElement("slide"); slide != nullptr;
         slide = slide->NextSiblingElement("slide")) {
        const char* title = slide->Attribute("titel");
        if (title == nullptr)
            continue; // no key to file it under
        slides[title] = {ReadDouble(*slide, "avrg_time"), ReadDouble(*slide, "avrg_points"),
                         ReadCount(*slide, "played")};
    }
}

CGameStatistics::ScoreList ReadScores(const XMLElement& parent) {
    CGameStatistics::ScoreList scores;
    for (const XMLElement* score = parent.FirstChildElement("score"); score != nullptr;
         score = score->NextSiblingElement("score")) {
        const char* name = score->Attribute("name");
        if (name == nullptr)
            continue;
        InsertScore(scores, {name, ReadNumber(*score, "points", 0), ReadDouble(*score, "time")});
    }
    return scores;
}

void ReadCourses(const XMLElement& parent, CGameStatistics::CourseMap& courses) {
    for (const XMLElement* course = parent.FirstChildElement("course"); course != nullptr;
         course = course->NextSiblingElement("course")) {
        const char* title = course->Attribute("titel");
        const XMLElement* scores = course->FirstChildElement("scores");
        if (title == nullptr || scores == nullptr)
            continue;
        courses[title] = {ReadDouble(*course, "avrg_time"), ReadDouble(*course, "avrg_points"),
                          ReadScores(*scores), ReadCount(*course, "played")};
    }
}

// Names are cut to a length no real one reaches, so that no single entry can make the saved
// document too long for the file.
std::wstring Clipped(const std::wstring& text, std::size_t length) {
    return text.size() <= length ? text : text.substr(0, length);
}

std::string KeyOf(const std::wstring& name) {
    return CText::ToNarrow(Clipped(name, CGameStatistics::MAX_KEY_LENGTH));
}

} // namespace

bool CGameStatistics::LoadFile(const std::string& path) {
    std::string text;
    {
        const CLockedFile file(path, CLockedFile::EOpenMode::ExistingOnly);
        // A file longer than any save can write is not ours; reading it all would only cost.
        if (!file.IsLocked() || !file.ReadAll(text, MAX_TEXT_SIZE))
            return false;
    }
    return LoadStatistics(text.data(), text.size());
}

bool CGameStatistics::SaveFile(const std::string& path) const {
    std::string text;
    if (!SaveStatistics(text))
        return false;
    CLockedFile file(path, CLockedFile::EOpenMode::CreateIfMissing);
    return file.IsLocked() && file.IsWritable() && KeepIfUnreadable(file) && file.Replace(text);
}

// The file about to be replaced may hold scores we could not read (damaged, or written by
// another version of the game): they stay beside it under a name of their own.
bool CGameStatistics::KeepIfUnreadable(const CLockedFile& file) {
    std::string old;
    if (file.ReadAll(old, MAX_TEXT_SIZE)) {
        CGameStatistics probe;
        if (old.empty() || probe.LoadStatistics(old.data(), old.size()))
            return true;
    }
    const std::string stamp = FormatInt(static_cast<int>(std::time(nullptr) % 1000000000));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string suffix =
            ".unreadable-" + stamp + (attempt > 0 ? "-" + FormatInt(attempt) : std::string());
        if (file.KeepCopyWithSuffix(suffix))
            return true;
    }
    return false;
}

bool CGameStatistics::LoadStatistics(const char* text, std::size_t length) {
    std::string plain;
    if (text == nullptr || !DecodeText(std::string_view(text, length), plain))
        return false;
    // The parser stops at a zero byte; a document with one inside is damaged.
    if (plain.find('\0') != std::string::npos)
        return false;

    tinyxml2::XMLDocument document;
    if (document.Parse(plain.data(), plain.size()) != tinyxml2::XML_SUCCESS)
        return false;
    const XMLElement* root = document.RootElement();
    if (root == nullptr || std::string_view(root->Name()) != "GameStatistics")
        return false;
    const XMLElement* slideParent = root->FirstChildElement("SlideStatistics");
    const XMLElement* courseParent = root->FirstChildElement("CourseStatistics");
    if (slideParent == nullptr || courseParent == nullptr)
        return false;

    SlideMap slides;
    CourseMap courses;
    ReadSlides(*slideParent, slides);
    ReadCourses(*courseParent, courses);
    m_slides = std::move(slides);
    m_courses = std::move(courses);
    return true;
}

bool CGameStatistics::SaveStatistics(std::string& text) const {
    tinyxml2::XMLDocument document;
    document.InsertEndChild(document.NewDeclaration("xml version=\"1.0\""));
    XMLElement* root = document.NewElement("GameStatistics");
    document.InsertEndChild(root);
    WriteSlides(*root->InsertNewChildElement("SlideStatistics"), m_slides);
    WriteCourses(*root->InsertNewChildElement("CourseStatistics"), m_courses);

    tinyxml2::XMLPrinter printer(nullptr, true);
    document.Print(&printer);
    const std::string_view plain(printer.CStr(), static_cast<std::size_t>(printer.CStrSize() - 1));
    if (plain.empty() || 2 * plain.size() + 1 > MAX_TEXT_SIZE)
        return false;
    text = EncodeText(plain);
    return true;
}

void CGameStatistics::AddSlideResult(const std::wstring& slideName, int points, double seconds) {
    seconds = Finite(seconds);
    const auto [entry, added] =
        m_slides.try_emplace(KeyOf(slideName), SlideStat{seconds, double(points), 1});
    if (added)
        return;
    SlideStat& stat = entry->second;
    stat.avrg_points = UpdateAverage(stat.avrg_points, stat.played, points);
    stat.avrg_time = UpdateAverage(stat.avrg_time, stat.played, seconds);
    stat.played = NextCount(stat.played);
}

int CGameStatistics::AddCourseResult(const std::wstring& courseTitle, int points, double seconds) {
    seconds = Finite(seconds);
    Score score{UNKNOWN_PLAYER, points, seconds};
    const auto [entry, added] = m_courses.try_emplace(KeyOf(courseTitle));
    CourseStat& stat = entry->second;
    if (added) {
        stat = {seconds, double(points), {std::move(score)}, 1};
        return 0;
    }
    stat.avrg_points = UpdateAverage(stat.avrg_points, stat.played, points);
    stat.avrg_time = UpdateAverage(stat.avrg_time, stat.played, seconds);
    stat.played = NextCount(stat.played);
    return InsertScore(stat.scores, std::move(score));
}

bool CGameStatistics::SetScoreName(const std::wstring& courseTitle, int position,
                                   const std::wstring& name) {
    const auto course = m_courses.find(KeyOf(courseTitle));
    if (course == m_courses.end() || position < 0)
        return false;
    ScoreList& scores = course->second.scores;
    if (static_cast<std::size_t>(position) >= scores.size())
        return false;
    scores[static_cast<std::size_t>(position)].name = CText::ToNarrow(Clipped(name, MAX_NAME_LENGTH));
    return true;
}

const CGameStatistics::ScoreList& CGameStatistics::GetScores(const std::wstring& courseTitle) {
    return m_courses[KeyOf(courseTitle)].scores;
}

std::string CGameStatistics::EncodeText(std::string_view plain) {
    std::string digits;
    digits.reserve(2 * plain.size());
    unsigned char previous = SCRAMBLE_START;
    for (const char c : plain) {
        const unsigned char scrambled = static_cast<unsigned char>(c) ^ previous;
        digits += HEX_DIGITS[scrambled & 0x0F]; // low nibble first
        digits += HEX_DIGITS[scrambled >> 4];
        previous = scrambled;
    }
    return digits;
}

bool CGameStatistics::DecodeText(std::string_view digits, std::string& plain) {
    // Editors add a line end, copies gain blanks; what surrounds the digits is no damage.
    constexpr std::string_view SPACE = " \t\r\n\f\v";
    const std::size_t first = digits.find_first_not_of(SPACE);
    digits = first == std::string_view::npos
                 ? std::string_view()
                 : digits.substr(first, digits.find_last_not_of(SPACE) - first + 1);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return HexValue(c) >= 0; }))
        return false;
    std::string decoded;
    decoded.reserve(digits.size() / 2);
    unsigned char previous = SCRAMBLE_START;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
        const auto scrambled =
            static_cast<unsigned char>(HexValue(digits[i]) | HexValue(digits[i + 1]) << 4);
        decoded += static_cast<char>(scrambled ^ previous);
        previous = scrambled;
    }
    plain = std::move(decoded);
    return true;
}
