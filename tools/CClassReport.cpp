#include "tools/CClassReport.h"

#include "platform/CLockedFile.h"
#include "platform/CRegularFile.h"
#include "tools/CCsvReader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <filesystem>

namespace {

enum EColumn { PLAYER, CODE, COURSE, SLIDE, POINTS, MAXIMUM, SECONDS, DATE, COLUMN_COUNT };
const std::array<std::string_view, COLUMN_COUNT> COLUMNS = {"player", "code",    "course",  "slide",
                                                            "points", "maximum", "seconds", "date"};

bool IsHeader(const std::vector<std::string>& fields) {
    if (fields.size() != COLUMNS.size())
        return false;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::string name = fields[i];
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (name != COLUMNS[i])
            return false;
    }
    return true;
}

std::string HeaderProblem() {
    std::string expected;
    for (std::string_view column : COLUMNS)
        expected += (expected.empty() ? "" : ",") + std::string(column);
    return "Kopfzeile fehlt (erwartet: " + expected + ") – Datei übersprungen";
}

// A value from the file as a message quotes it: short, and without control characters that
// would act on the teacher's terminal.
std::string Shown(const std::string& text) {
    constexpr std::size_t MAX_SHOWN = 40;
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const bool startsCharacter = (c & 0xC0) != 0x80;
        if (startsCharacter && shown.size() >= MAX_SHOWN)
            return "„" + shown + "…“";
        shown += c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
    }
    return "„" + shown + "“";
}

std::string ColumnProblem(EColumn column, const std::string& text, const char* problem) {
    return "Spalte " + std::string(COLUMNS[column]) + ": " + Shown(text) + " " + problem;
}

// The game counts points in ints.
std::string ParseCount(const std::vector<std::string>& fields, EColumn column, long long& value) {
    const std::string& text = fields[column];
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error == std::errc::result_out_of_range || (error == std::errc() && value > INT_MAX))
        return ColumnProblem(column, text, "ist zu groß");
    if (error != std::errc() || stop != end)
        return ColumnProblem(column, text, "ist keine ganze Zahl");
    return value < 0 ? ColumnProblem(column, text, "ist negativ") : "";
}

// Far more than a slide left open for a holiday; keeps every figure short enough to print.
constexpr double MAX_SECONDS = 1e9;

// Plain decimals with a point: no exponent, sign, "inf" or "nan".
std::string ParseSeconds(const std::string& text, double& value) {
    const bool negative = !text.empty() && text[0] == '-';
    const std::string digits = negative ? text.substr(1) : text;
    const bool plain = std::count(digits.begin(), digits.end(), '.') <= 1 &&
                       std::any_of(digits.begin(), digits.end(),
                                   [](unsigned char c) { return std::isdigit(c); }) &&
                       std::all_of(digits.begin(), digits.end(),
                                   [](unsigned char c) { return std::isdigit(c) || c == '.'; });
    const char* end = digits.data() + digits.size();
    if (!plain || std::from_chars(digits.data(), end, value).ec != std::errc())
        return ColumnProblem(SECONDS, text, "ist keine Zahl");
    if (negative)
        return ColumnProblem(SECONDS, text, "ist negativ");
    return value > MAX_SECONDS ? ColumnProblem(SECONDS, text, "ist zu groß") : "";
}

// "YYYY-MM-DD", optionally followed by " HH:MM:SS" (or with "T" between, as ISO 8601 allows).
bool IsDate(const std::string& text) {
    if (text.size() != 10 && text.size() != 19)
        return false;
    const std::string_view shape = "dddd-dd-dd dd:dd:dd";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool fits = shape[i] == 'd' ? std::isdigit(static_cast<unsigned char>(c)) != 0
                          : i == 10       ? c == ' ' || c == 'T'
                                          : c == shape[i];
        if (!fits)
            return false;
    }
    const auto number = [&](std::size_t at) { return std::stoi(text.substr(at, 2)); };
    const bool dateFits = number(5) >= 1 && number(5) <= 12 && number(8) >= 1 && number(8) <= 31;
    return dateFits &&
           (text.size() == 10 || (number(11) < 24 && number(14) < 60 && number(17) <= 60));
}

// The page and the table must stay valid text for the browser and the spreadsheet.
bool IsUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80   ? 1
                                   : lead < 0xC2 ? 0
                                   : lead < 0xE0 ? 2
                                   : lead < 0xF0 ? 3
                                   : lead < 0xF5 ? 4
                                                 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

// Empty when the line can be used, its numbers then read; else why not.
std::string CheckRecord(const std::vector<std::string>& fields, long long& points,
                        long long& maximum, double& seconds) {
    if (fields.size() != COLUMN_COUNT)
        return std::to_string(fields.size()) + " statt " + std::to_string(COLUMN_COUNT) +
               " Spalten";
    if (!std::all_of(fields.begin(), fields.end(), IsUtf8))
        return "kein gültiges UTF-8";
    for (EColumn column : {PLAYER, COURSE, SLIDE})
        if (fields[column].empty())
            return "Spalte " + std::string(COLUMNS[column]) + " ist leer";
    std::string problem = ParseCount(fields, POINTS, points);
    if (problem.empty())
        problem = ParseCount(fields, MAXIMUM, maximum);
    if (problem.empty())
        problem = ParseSeconds(fields[SECONDS], seconds);
    if (problem.empty() && points > maximum)
        problem = "points (" + std::to_string(points) + ") größer als maximum (" +
                  std::to_string(maximum) + ")";
    if (problem.empty() && !IsDate(fields[DATE]))
        problem = ColumnProblem(DATE, fields[DATE], "ist kein Datum JJJJ-MM-TT [hh:mm:ss]");
    return problem;
}

std::string Fixed(double value, int decimals) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

std::string WithComma(std::string number) {
    std::replace(number.begin(), number.end(), '.', ',');
    return number;
}

// A spreadsheet would run a name like "=HYPERLINK(...)" as a formula; the leading apostrophe
// keeps it text.
std::string CsvField(const std::string& text) {
    const bool formula =
        !text.empty() && std::string_view("=+-@").find(text[0]) != std::string_view::npos;
    const std::string value = formula ? "'" + text : text;
    if (value.find_first_of(",\"\r\n") == std::string::npos)
        return value;
    std::string quoted = "\"";
    for (char c : value)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string CsvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (const std::string& field : fields)
        line += (line.empty() ? "" : ",") + CsvField(field);
    return line + "\n";
}

std::string HtmlText(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&#39;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string Bar(double fraction) {
    return "<span class=\"bar\"><span style=\"width:" + Fixed(100 * fraction, 1) +
           "%\"></span></span>";
}

// "2026-12-01 08:15:00" → "01.12.2026".
std::string GermanDay(const std::string& date) {
    return date.substr(8, 2) + "." + date.substr(5, 2) + "." + date.substr(0, 4);
}

const char* WriteProblem(int error) {
    switch (error) {
    case ELOOP:
        return "ist ein symbolischer Link";
    case EISDIR:
        return "ist ein Ordner";
    case EINVAL:
        return "ist keine gewöhnliche Datei";
    case EACCES:
    case EPERM:
    case EROFS:
        return "keine Schreibberechtigung";
    case ENOENT:
    case ENOTDIR:
        return "Ordner nicht gefunden";
    case ENOSPC:
        return "kein Platz auf dem Datenträger";
    default:
        return "Schreibfehler";
    }
}

const char* ReadProblem(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return "nicht gefunden";
    if (status.type() == std::filesystem::file_type::directory)
        return "ist ein Ordner";
    if (status.type() != std::filesystem::file_type::regular && !error)
        return "ist keine gewöhnliche Datei";
    return "kann nicht gelesen werden";
}

const char* const STYLE =
    "body{font-family:sans-serif;margin:2em;color:#222}"
    "table{border-collapse:collapse;margin-bottom:1.5em}"
    "th,td{border:1px solid #ccc;padding:.25em .6em;text-align:left}"
    "td.n{text-align:right}"
    ".bar{display:inline-block;width:12em;height:1em;background:#e4e4e4;vertical-align:middle}"
    ".bar span{display:block;height:100%;background:#3a8f5c}";

} // namespace

void CClassReport::AddFile(const std::string& path) {
    m_inputs.push_back(path);
    std::string text;
    if (ReadFile(path, text))
        AddText(path, text);
}

bool CClassReport::ReadFile(const std::string& path, std::string& text) {
    const CRegularFile file(path);
    std::string problem;
    if (!file.IsOpen())
        problem = ReadProblem(path);
    else if (file.Size() > MAX_FILE_BYTES)
        problem = "ist größer als 64 MiB";
    else if (!file.ReadAll(text, MAX_FILE_BYTES))
        problem = "kann nicht gelesen werden";
    else if (text.find('\0') != std::string::npos)
        problem = "enthält Binärdaten (Nullbytes)";
    if (problem.empty())
        return true;
    Report(path, problem + " – Datei übersprungen");
    return false;
}

void CClassReport::AddText(const std::string& path, const std::string& text) {
    CCsvReader reader(text);
    std::vector<std::string> fields;
    if (reader.Next(fields) != CCsvReader::EResult::Record || !IsHeader(fields)) {
        Report(path + ":1", HeaderProblem());
        return;
    }
    for (CCsvReader::EResult read; (read = reader.Next(fields)) != CCsvReader::EResult::End;) {
        const bool blank =
            read == CCsvReader::EResult::Record && fields.size() == 1 && fields[0].empty();
        if (blank)
            continue;
        const std::string problem =
            read == CCsvReader::EResult::Malformed ? reader.Problem() : AddRecord(fields);
        if (problem.empty()) {
            ++m_linesUsed;
            continue;
        }
        ++m_linesSkipped;
        Report(path + ":" + std::to_string(reader.Line()), problem);
    }
}

std::string CClassReport::AddRecord(const std::vector<std::string>& fields) {
    Attempt attempt;
    const std::string problem =
        CheckRecord(fields, attempt.points, attempt.maximum, attempt.seconds);
    if (!problem.empty())
        return problem;
    const SlideKey slide{fields[COURSE], fields[SLIDE]};
    if (m_courseOrder.try_emplace(slide.course, m_courses.size()).second)
        m_courses.push_back(slide.course);
    if (m_seenSlides.insert(slide).second)
        m_slides.push_back(slide);
    if (m_seenPlayers.insert(fields[PLAYER]).second)
        m_players.push_back(fields[PLAYER]);
    if (!fields[CODE].empty())
        m_codes.insert(fields[CODE]);
    const std::string& date = fields[DATE];
    if (m_firstDate.empty() || date < m_firstDate)
        m_firstDate = date;
    m_lastDate = std::max(m_lastDate, date);

    const auto [best, first] = m_best.try_emplace({slide, fields[PLAYER]}, attempt);
    const Attempt& old = best->second;
    if (!first && (attempt.points > old.points ||
                   (attempt.points == old.points && attempt.seconds < old.seconds)))
        best->second = attempt;
    return "";
}

void CClassReport::Report(const std::string& where, const std::string& reason) {
    m_messages.push_back(where + ": " + reason);
}

CClassReport::SlideSummary CClassReport::Summarise(const SlideKey& slide) const {
    SlideSummary summary;
    std::vector<double> times;
    for (auto it = m_best.lower_bound({slide, ""}); it != m_best.end() && it->first.first == slide;
         ++it) {
        const Attempt& best = it->second;
        ++summary.players;
        summary.solved += best.maximum > 0 && best.points == best.maximum;
        summary.scored = summary.scored || best.maximum > 0;
        times.push_back(best.seconds);
    }
    std::sort(times.begin(), times.end());
    const std::size_t middle = times.size() / 2;
    if (!times.empty())
        summary.medianSeconds =
            times.size() % 2 != 0 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
    return summary;
}

std::vector<CClassReport::SlideKey> CClassReport::SlidesInOrder() const {
    std::vector<std::vector<const SlideKey*>> byCourse(m_courses.size());
    for (const SlideKey& slide : m_slides)
        byCourse[m_courseOrder.at(slide.course)].push_back(&slide);
    std::vector<SlideKey> slides;
    for (const auto& course : byCourse)
        for (const SlideKey* slide : course)
            slides.push_back(*slide);
    return slides;
}

CClassReport::Totals CClassReport::TotalsByPlayer() const {
    Totals totals;
    for (const auto& [key, best] : m_best) {
        Total& total = totals[key.second][m_courseOrder.at(key.first.course)];
        total.points += best.points;
        total.maximum += best.maximum;
    }
    return totals;
}

std::string CClassReport::Csv() const {
    std::string csv =
        CsvLine({"Kurs", "Folie", "Schüler", "gelöst", "Anteil gelöst", "Median Sekunden"});
    for (const SlideKey& slide : SlidesInOrder()) {
        const SlideSummary summary = Summarise(slide);
        const std::string share =
            summary.scored ? Fixed(static_cast<double>(summary.solved) / summary.players, 3) : "";
        csv += CsvLine({slide.course, slide.slide, std::to_string(summary.players),
                        std::to_string(summary.solved), share, Fixed(summary.medianSeconds, 1)});
    }
    csv += "\n" + CsvLine({"Schüler", "Kurs", "Punkte", "Maximum"});
    const Totals totals = TotalsByPlayer();
    for (const std::string& player : m_players) {
        for (const auto& [course, total] : totals.at(player))
            csv += CsvLine({player, m_courses[course], std::to_string(total.points),
                            std::to_string(total.maximum)});
    }
    return csv;
}

std::string CClassReport::Period() const {
    const std::string first = GermanDay(m_firstDate), last = GermanDay(m_lastDate);
    return first == last ? first : first + " bis " + last;
}

std::string CClassReport::Html() const {
    std::string html = "<!DOCTYPE html>\n<html lang=\"de\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<title>Klassenbericht</title>\n<style>" +
                       std::string(STYLE) + "</style>\n</head>\n<body>\n<h1>Klassenbericht</h1>\n";
    std::string codes;
    for (const std::string& code : m_codes)
        codes += (codes.empty() ? "" : ", ") + HtmlText(code);
    html += "<p>Schüler: " + std::to_string(m_players.size()) +
            " · Aufgaben: " + std::to_string(m_slides.size()) +
            " · Kurse: " + std::to_string(m_courses.size()) +
            (codes.empty() ? "" : " · Zuweisungscodes: " + codes) +
            (HasResults() ? " · gespielt: " + Period() : "") + "</p>\n";
    return html + SlidesSection() + StudentsSection() + "</body>\n</html>\n";
}

std::string CClassReport::SlidesSection() const {
    std::string html = "<h2>Aufgaben</h2>\n<table>\n<tr><th>Kurs</th><th>Folie</th>"
                       "<th>Schüler</th><th>Gelöst</th><th>Median der Zeit</th></tr>\n";
    for (const SlideKey& slide : SlidesInOrder()) {
        const SlideSummary summary = Summarise(slide);
        const double share = static_cast<double>(summary.solved) / summary.players;
        const std::string solved =
            summary.scored ? Bar(share) + " " + Fixed(100 * share, 0) + " %" : "–";
        html += "<tr><td>" + HtmlText(slide.course) + "</td><td>" + HtmlText(slide.slide) +
                "</td><td class=\"n\">" + std::to_string(summary.players) + "</td><td>" + solved +
                "</td><td class=\"n\">" + WithComma(Fixed(summary.medianSeconds, 1)) +
                " s</td></tr>\n";
    }
    return html + "</table>\n";
}

// A heading and a bar chart of the courses for every student.
std::string CClassReport::StudentsSection() const {
    std::string html = "<h2>Schüler</h2>\n";
    const Totals totals = TotalsByPlayer();
    for (const std::string& player : m_players) {
        html += "<h3>" + HtmlText(player) +
                "</h3>\n<table>\n<tr><th>Kurs</th><th colspan=\"2\">Punkte</th></tr>\n";
        for (const auto& [course, total] : totals.at(player)) {
            const double share =
                total.maximum > 0 ? static_cast<double>(total.points) / total.maximum : 0;
            html += "<tr><td>" + HtmlText(m_courses[course]) + "</td><td>" + Bar(share) +
                    "</td><td class=\"n\">" + std::to_string(total.points) + " von " +
                    std::to_string(total.maximum) + " Punkten</td></tr>\n";
        }
        html += "</table>\n";
    }
    return html;
}

bool CClassReport::Write(const std::string& basename) {
    const std::string csv = basename + ".csv", html = basename + ".html";
    for (const std::string& output : {csv, html}) {
        if (IsInput(output)) {
            Report(output, "ist eine der gelesenen Dateien und wird nicht überschrieben; "
                           "bitte mit -o einen anderen Namen wählen");
            return false;
        }
    }
    return WriteOne(csv, Csv()) && WriteOne(html, Html());
}

// The same file however it is named: through "..", a link, or a second hard link.
bool CClassReport::IsInput(const std::string& path) const {
    return std::any_of(m_inputs.begin(), m_inputs.end(), [&](const std::string& input) {
        std::error_code error;
        return std::filesystem::equivalent(input, path, error);
    });
}

bool CClassReport::WriteOne(const std::string& path, const std::string& contents) {
    CLockedFile file(path, CLockedFile::EOpenMode::CreateIfMissing);
    if (file.IsLocked() && file.Replace(contents))
        return true;
    Report(path, std::string("kann nicht geschrieben werden: ") + WriteProblem(file.Error()));
    return false;
}
