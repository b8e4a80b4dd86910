#include "game/CConstFilter.h"

#include "game/CGameContext.h"
#include "platform/CText.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <new>
#include <string_view>

namespace game {

namespace {

constexpr std::string_view SEPARATORS = "\t\r\n ,";
constexpr std::string_view NUMBER_CHARACTERS = "0123456789e-+.";
// Enough of an unreadable entry for the author to find it.
constexpr std::size_t QUOTED_CHARACTERS = 24;

enum class Scan { NUMBER, NOT_DECIMAL, BEYOND_FLOAT };

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads one number from the front of text into value, without the C library's locale (a
// German locale would stop at the point). from_chars alone would also take "nan", "inf" and
// a second sign, and read "0x10" as 0: a number here starts with a digit or a point and a
// digit after at most one sign, and ends where a separator or the next number can begin.
Scan ScanNumber(std::string_view text, float& value) {
    const bool hasSign = !text.empty() && (text.front() == '+' || text.front() == '-');
    const std::string_view magnitude = hasSign ? text.substr(1) : text;
    if (!text.empty() && text.front() == '+') // from_chars takes no leading plus sign
        text.remove_prefix(1);
    const bool startsNumber =
        !magnitude.empty() &&
        (IsDigit(magnitude[0]) ||
         (magnitude[0] == '.' && magnitude.size() > 1 && IsDigit(magnitude[1])));
    if (!startsNumber)
        return Scan::NOT_DECIMAL;
    double number = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error == std::errc::result_out_of_range)
        return Scan::BEYOND_FLOAT;
    if (error != std::errc())
        return Scan::NOT_DECIMAL;
    const std::string_view rest = text.substr(static_cast<std::size_t>(end - text.data()));
    if (!rest.empty() && SEPARATORS.find(rest.front()) == std::string_view::npos &&
        NUMBER_CHARACTERS.find(rest.front()) == std::string_view::npos)
        return Scan::NOT_DECIMAL;
    if (std::fabs(number) > FLT_MAX)
        return Scan::BEYOND_FLOAT;
    value = static_cast<float>(number);
    return Scan::NUMBER;
}

void SkipAll(std::string_view& text, std::string_view set) {
    const std::size_t first = text.find_first_not_of(set);
    text.remove_prefix(first == std::string_view::npos ? text.size() : first);
}

// The entry at the front of text, as far as the next separator, quoted for a message.
std::wstring Quoted(std::string_view text) {
    const std::string_view entry = text.substr(0, std::min(text.find_first_of(SEPARATORS),
                                                           QUOTED_CHARACTERS));
    return L"\u201E" + CText::ToWide(std::string(entry)) + L"\u201C";
}

std::wstring ListName(const tinyxml2::XMLElement& node) {
    return L"Die Liste <" + CText::ToWide(node.Name()) + L">";
}

std::wstring LeadReason(dsp::CFilter::Verdict verdict) {
    switch (verdict) {
    case dsp::CFilter::Verdict::ZERO_LEAD:
        return L"Der erste Nennerkoeffizient a[0] ist 0; durch ihn wird geteilt.";
    case dsp::CFilter::Verdict::TINY_LEAD:
        return L"Der erste Nennerkoeffizient a[0] ist so klein, dass die Koeffizienten beim "
               L"Teilen durch ihn überlaufen.";
    default:
        return L"Die Koeffizienten beschreiben keinen Filter.";
    }
}

} // namespace

int CConstFilter::ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) {
    if (std::strcmp(node.Name(), "afilter") != 0)
        return ERR_XML_TITLE;
    if (const int result = CAudioFilterPlot::ReadXml(node, area, style); result != ERR_NONE)
        return result;
    if (node.FirstChildElement("a") == nullptr && node.FirstChildElement("b") == nullptr)
        return Refuse(ERR_MISSING_ELEMENT,
                      L"Der Filter braucht ein Kind <a> oder <b> mit seinen Koeffizienten.");
    int na = 0;
    int nb = 0;
    std::wstring problem;
    const std::unique_ptr<float[]> a = ReadChild(node, "a", na, problem);
    if (!a)
        return Refuse(ERR_MISSING_ELEMENT, problem);
    const std::unique_ptr<float[]> b = ReadChild(node, "b", nb, problem);
    if (!b)
        return Refuse(ERR_MISSING_ELEMENT, problem);
    return SetFilter(a.get(), na, b.get(), nb);
}

// A filter the game cannot run would otherwise pass its input through unnoticed.
int CConstFilter::SetFilter(const float* a, int na, const float* b, int nb) {
    if (const auto verdict = dsp::CFilter::Check(a, na, b, nb);
        verdict != dsp::CFilter::Verdict::ACCEPTED)
        return Refuse(ERR_MISSING_ELEMENT, LeadReason(verdict));
    if (!m_filter.SetCoefficients(a, na, b, nb))
        return Refuse(ERR_MEMORY, L"Für die Koeffizienten des Filters fehlt der Speicher.");
    return ERR_NONE;
}

int CConstFilter::Refuse(int code, const std::wstring& reason) {
    m_context->ReportFailure(m_id, reason);
    return code;
}

std::unique_ptr<float[]> CConstFilter::ReadChild(const tinyxml2::XMLElement& node, const char* tag,
                                                 int& count, std::wstring& problem) {
    const tinyxml2::XMLElement* child = node.FirstChildElement(tag);
    if (child == nullptr) {
        count = 1;
        std::unique_ptr<float[]> one(new (std::nothrow) float[1]);
        if (one)
            one[0] = 1.0f;
        else
            problem = L"Für die Koeffizienten des Filters fehlt der Speicher.";
        return one;
    }
    count = 0;
    child->QueryIntAttribute("order", &count);
    return ParseCoefficients(*child, count, &problem);
}

std::unique_ptr<float[]> CConstFilter::ParseCoefficients(const tinyxml2::XMLElement& node,
                                                         int count, std::wstring* problem) {
    const auto fail = [&](const std::wstring& why) {
        if (problem != nullptr)
            *problem = ListName(node) + why;
        return nullptr;
    };
    const char* content = node.GetText();
    std::string_view text = content != nullptr ? content : "";
    const std::wstring order = L" order=\"" + std::to_wstring(count) + L"\"";
    if (count < 0)
        return fail(L" hat ein negatives" + order + L".");
    // Every number takes at least one character: a longer list cannot be there, and an absurd
    // order must not reserve gigabytes first.
    if (static_cast<std::size_t>(count) > text.size())
        return fail(L" hat weniger Zahlen, als" + order + L" verlangt.");
    // At least one element, so that an empty list is a valid (non-null) result.
    std::unique_ptr<float[]> values(new (std::nothrow) float[static_cast<std::size_t>(count) + 1]);
    if (!values)
        return fail(L": für sie fehlt der Speicher.");
    for (int i = 0; i < count; ++i) {
        if (text.empty())
            return fail(L" hat weniger Zahlen, als" + order + L" verlangt.");
        SkipAll(text, SEPARATORS);
        const std::wstring place = L" an Stelle " + std::to_wstring(i + 1);
        switch (ScanNumber(text, values[i])) {
        case Scan::NUMBER:
            break;
        case Scan::BEYOND_FLOAT:
            return fail(L" hat" + place + L" eine Zahl außerhalb des Zahlenbereichs: " + Quoted(text) + L".");
        case Scan::NOT_DECIMAL:
            return text.empty() ? fail(L" hat weniger Zahlen, als" + order + L" verlangt.")
                                : fail(L" hat" + place + L" keine Dezimalzahl: " + Quoted(text) +
                                       L".");
        }
        SkipAll(text, NUMBER_CHARACTERS);
    }
    return values;
}

} // namespace game
