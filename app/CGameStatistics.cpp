#include "app/CGameStatistics.h"

#include "platform/CLockedFile.h"
#include "platform/CText.h"

#include <tinyxml2.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cerrno>
#include <cmath>
#include <functional>
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

// The average of count values and added more, whose sum is sum.
double UpdateAverage(double average, int count, double sum, int added) {
    const double n = count;
    const double mean = (n * average + sum) / (n + added);
    if (std::isfinite(mean))
        return mean;
    // Only absurd loaded values get here, where n * average overflowed.
    return Finite(average + (sum / added - average) * added / (n + added));
}

int AddCount(int count, int added) {
    return count <= INT_MAX - added ? count + added : INT_MAX;
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

// Lists the score, or names the equal one already listed as the score is named.
void PutScore(CGameStatistics::ScoreList& scores, const CGameStatistics::Score& score) {
    scores[static_cast<std::size_t>(InsertScore(scores, score))].name = score.name;
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

// The file keeps six digits of a time: a score of this run is the same entry as the one read
// back from the file only when compared as the file holds it.
CGameStatistics::Score AsSaved(CGameStatistics::Score score) {
    const std::string time = FormatDouble(score.time);
    std::from_chars(time.data(), time.data() + time.size(), score.time);
    return score;
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

std::string Printed(const tinyxml2::XMLNode& node) {
    tinyxml2::XMLPrinter printer(nullptr, true);
    node.Accept(&printer);
    return std::string(printer.CStr(), static_cast<std::size_t>(printer.CStrSize() - 1));
}

// The longest document whose text, with a terminating zero, fits the file's limit.
constexpr std::size_t MAX_DOCUMENT = (CGameStatistics::MAX_TEXT_SIZE - 1) / 2;

// A document too long for the file leaves out the slides played least, so that a growing
// collection of slides never stops the saving of everything else. Among equally played ones,
// the slides of this run stay longest (a fresh result must not vanish at once), then the names
// first in byte-wise order.
void LeaveOutSlides(tinyxml2::XMLDocument& document, XMLElement& parent,
                    const CGameStatistics::SlideMap& slides,
                    const std::function<bool(const std::string&)>& playedNow, std::string& plain) {
    struct Entry {
        XMLElement* element;
        const std::string* name;
        int played;
        bool now;
    };
    std::vector<Entry> entries;
    XMLElement* element = parent.FirstChildElement("slide");
    for (const auto& [name, stat] : slides) { // written in this order
        entries.push_back({element, &name, stat.played, playedNow(name)});
        element = element->NextSiblingElement("slide");
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.played != b.played)
            return a.played < b.played;
        if (a.now != b.now)
            return b.now;
        return *a.name > *b.name;
    });
    auto next = entries.begin();
    while (plain.size() > MAX_DOCUMENT && next != entries.end()) {
        std::size_t excess = plain.size() - MAX_DOCUMENT;
        for (; excess > 0 && next != entries.end(); ++next) {
            excess -= std::min(excess, Printed(*next->element).size());
            parent.DeleteChild(next->element);
        }
        plain = Printed(document);
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

bool CGameStatistics::SaveFile(const std::string& path) {
    CLockedFile file(path, CLockedFile::EOpenMode::CreateIfMissing);
    if (!file.IsLocked() || !file.IsWritable())
        return SaveFailed(file.Error());
    CGameStatistics merged;
    if (!merged.ReadForMerge(file))
        return SaveFailed(errno != 0 ? errno : EIO);
    merged.Merge(m_slideGains, m_courseGains);
    std::string text;
    if (!merged.SaveStatistics(text))
        return SaveFailed(EMSGSIZE);
    if (!file.Replace(text))
        return SaveFailed(file.Error());
    // The file now holds this run's results; what stays is which slides and scores are ours.
    for (auto& [name, gain] : m_slideGains)
        gain = {};
    for (auto& [title, gain] : m_courseGains)
        gain.results = {};
    m_saveError = 0;
    return true;
}

// The player reads why in their own language, whatever the C library's messages are set to.
std::wstring CGameStatistics::SaveFailureText(int error) {
    static const std::map<int, const wchar_t*> REASONS = {
        {ELOOP, L"„stats“ ist eine symbolische Verknüpfung, der das Spiel nicht folgt"},
        {EISDIR, L"„stats“ ist ein Ordner"},
        {EINVAL, L"„stats“ ist keine gewöhnliche Datei"},
        {EACCES, L"die Datei oder ihr Ordner ist schreibgeschützt"},
        {EPERM, L"die Datei oder ihr Ordner ist schreibgeschützt"},
        {EROFS, L"der Datenträger ist schreibgeschützt"},
        {ENOSPC, L"der Datenträger ist voll"},
        {EDQUOT, L"der zugeteilte Speicherplatz ist aufgebraucht"},
        {EFBIG, L"die Datei würde größer, als das System erlaubt"},
        {EIO, L"beim Lesen oder Schreiben trat ein Gerätefehler auf"},
        {ENOENT, L"der Ordner des Spiels ist nicht mehr da"},
        {ENOTDIR, L"der Ordner des Spiels ist nicht mehr da"},
        {EMFILE, L"das Spiel hat zu viele Dateien geöffnet"},
        {ENFILE, L"das System hat zu viele Dateien geöffnet"},
        {EMSGSIZE, L"die Kurse und Bestenlisten sind zu umfangreich für die Datei"},
    };
    const auto reason = REASONS.find(error);
    const std::wstring why = reason != REASONS.end()
                                 ? std::wstring(reason->second)
                                 : L"unerwarteter Fehler Nr. " + std::to_wstring(error);
    return L"Die Ergebnisse konnten nicht gespeichert werden: " + why + L".";
}

bool CGameStatistics::SaveFailed(int error) {
    m_saveError = error != 0 ? error : EIO;
    return false;
}

bool CGameStatistics::ReadForMerge(const CLockedFile& file) {
    std::string old;
    if (file.ReadAll(old, MAX_TEXT_SIZE) && (old.empty() || LoadStatistics(old.data(), old.size())))
        return true;
    return KeepIfUnreadable(file);
}

// The file about to be replaced may hold scores we could not read (damaged, or written by
// another version of the game): they stay beside it under a name of their own.
bool CGameStatistics::KeepIfUnreadable(const CLockedFile& file) {
    return !file.KeepCopyAside(".unreadable-").empty();
}

void CGameStatistics::Merge(const std::map<std::string, SlideGain>& slides,
                            const std::map<std::string, CourseGain>& courses) {
    const auto add = [](double& avrgPoints, double& avrgTime, int& played, const SlideGain& gain) {
        avrgPoints = UpdateAverage(avrgPoints, played, gain.points, gain.played);
        avrgTime = UpdateAverage(avrgTime, played, gain.time, gain.played);
        played = AddCount(played, gain.played);
    };
    for (const auto& [name, gain] : slides) {
        if (gain.played == 0)
            continue; // saved before, and maybe left out of the file since
        SlideStat& stat = m_slides[name];
        add(stat.avrg_points, stat.avrg_time, stat.played, gain);
    }
    for (const auto& [title, gain] : courses) {
        CourseStat& stat = m_courses[title];
        if (gain.results.played > 0)
            add(stat.avrg_points, stat.avrg_time, stat.played, gain.results);
        for (const Score& score : gain.scores)
            PutScore(stat.scores, AsSaved(score));
    }
    m_slideGains = slides; // tells SaveStatistics which slides are this run's
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
    m_slideGains.clear();
    m_courseGains.clear();
    return true;
}

bool CGameStatistics::SaveStatistics(std::string& text) const {
    tinyxml2::XMLDocument document;
    document.InsertEndChild(document.NewDeclaration("xml version=\"1.0\""));
    XMLElement* root = document.NewElement("GameStatistics");
    document.InsertEndChild(root);
    XMLElement* slideParent = root->InsertNewChildElement("SlideStatistics");
    WriteSlides(*slideParent, m_slides);
    WriteCourses(*root->InsertNewChildElement("CourseStatistics"), m_courses);

    std::string plain = Printed(document);
    if (plain.size() > MAX_DOCUMENT)
        LeaveOutSlides(document, *slideParent, m_slides,
                       [this](const std::string& name) { return m_slideGains.count(name) > 0; },
                       plain);
    if (plain.empty() || plain.size() > MAX_DOCUMENT)
        return false;
    text = EncodeText(plain);
    return true;
}

void CGameStatistics::AddSlideResult(const std::wstring& slideName, int points, double seconds) {
    seconds = Finite(seconds);
    const std::string key = KeyOf(slideName);
    SlideGain& gain = m_slideGains[key];
    gain.played = AddCount(gain.played, 1);
    gain.points += points;
    gain.time += seconds;
    const auto [entry, added] = m_slides.try_emplace(key, SlideStat{seconds, double(points), 1});
    if (added)
        return;
    SlideStat& stat = entry->second;
    stat.avrg_points = UpdateAverage(stat.avrg_points, stat.played, points, 1);
    stat.avrg_time = UpdateAverage(stat.avrg_time, stat.played, seconds, 1);
    stat.played = AddCount(stat.played, 1);
}

int CGameStatistics::AddCourseResult(const std::wstring& courseTitle, int points, double seconds) {
    seconds = Finite(seconds);
    const std::string key = KeyOf(courseTitle);
    CourseGain& gain = m_courseGains[key];
    gain.results.played = AddCount(gain.results.played, 1);
    gain.results.points += points;
    gain.results.time += seconds;
    Score score{UNKNOWN_PLAYER, points, seconds};
    const auto [entry, added] = m_courses.try_emplace(key);
    CourseStat& stat = entry->second;
    int position = 0;
    if (added) {
        stat = {seconds, double(points), {std::move(score)}, 1};
    } else {
        stat.avrg_points = UpdateAverage(stat.avrg_points, stat.played, points, 1);
        stat.avrg_time = UpdateAverage(stat.avrg_time, stat.played, seconds, 1);
        stat.played = AddCount(stat.played, 1);
        position = InsertScore(stat.scores, std::move(score));
    }
    // An equal score already listed stands for this one, with the name it has.
    PutScore(gain.scores, stat.scores[static_cast<std::size_t>(position)]);
    return position;
}

bool CGameStatistics::SetScoreName(const std::wstring& courseTitle, int position,
                                   const std::wstring& name) {
    const auto course = m_courses.find(KeyOf(courseTitle));
    if (course == m_courses.end() || position < 0)
        return false;
    ScoreList& scores = course->second.scores;
    if (static_cast<std::size_t>(position) >= scores.size())
        return false;
    Score& score = scores[static_cast<std::size_t>(position)];
    score.name = CText::ToNarrow(Clipped(name, MAX_NAME_LENGTH));
    PutScore(m_courseGains[course->first].scores, score);
    return true;
}

const CGameStatistics::ScoreList& CGameStatistics::GetScores(const std::wstring& courseTitle) {
    const std::string key = KeyOf(courseTitle);
    m_courseGains[key]; // the record is saved even if the course is never played
    return m_courses[key].scores;
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
