#include "game/CConstFilter.h"

#include <tinyxml2.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <new>
#include <string_view>

namespace game {

namespace {

constexpr std::string_view SEPARATORS = "\t\r\n ,";
constexpr std::string_view NUMBER_CHARACTERS = "0123456789e-+.";

// The longest prefix of text that reads as a number: optional sign, digits with an optional
// point, an optional exponent (e or E, optional sign, digits). Empty when there is none.
std::string_view NumberPrefix(std::string_view text) {
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        return i - start;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t mantissa = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return {};
    const std::size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        if (digits() > 0)
            return text.substr(0, i);
    }
    return text.substr(0, end);
}

// Reads one number from the front of text into value, without the C library's locale (a
// German locale would stop at the point). False when text does not start with a number.
bool ScanNumber(std::string_view text, float& value) {
    const std::string_view number = NumberPrefix(text);
    if (number.empty())
        return false;
    // from_chars takes no leading plus sign.
    const std::string_view digits = number.front() == '+' ? number.substr(1) : number;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    // Out of range: too small a value reads as 0, too large a one as infinity (a filter with
    // it is then refused for not being finite), as the C library would read them.
    if (error == std::errc::result_out_of_range) {
        const bool tiny = digits.find("e-") != std::string_view::npos ||
                          digits.find("E-") != std::string_view::npos;
        value = std::copysign(tiny ? 0.0f : HUGE_VALF, digits.front() == '-' ? -1.0f : 1.0f);
    }
    return error == std::errc() || error == std::errc::result_out_of_range;
}

void SkipAll(std::string_view& text, std::string_view set) {
    const std::size_t first = text.find_first_not_of(set);
    text.remove_prefix(first == std::string_view::npos ? text.size() : first);
}

} // namespace

int CConstFilter::ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) {
    if (std::strcmp(node.Name(), "afilter") != 0)
        return ERR_XML_TITLE;
    if (const int result = CAudioFilterPlot::ReadXml(node, area, style); result != ERR_NONE)
        return result;
    if (node.FirstChildElement("a") == nullptr && node.FirstChildElement("b") == nullptr)
        return ERR_MISSING_ELEMENT;
    int na = 0;
    int nb = 0;
    const std::unique_ptr<float[]> a = ReadChild(node, "a", na);
    const std::unique_ptr<float[]> b = ReadChild(node, "b", nb);
    if (!a || !b)
        return ERR_MISSING_ELEMENT;
    m_filter.SetCoefficients(a.get(), na, b.get(), nb);
    return ERR_NONE;
}

std::unique_ptr<float[]> CConstFilter::ReadChild(const tinyxml2::XMLElement& node,
                                                 const char* tag, int& count) {
    const tinyxml2::XMLElement* child = node.FirstChildElement(tag);
    if (child == nullptr) {
        count = 1;
        std::unique_ptr<float[]> one(new (std::nothrow) float[1]);
        if (one)
            one[0] = 1.0f;
        return one;
    }
    count = 0;
    child->QueryIntAttribute("order", &count);
    return ParseCoefficients(*child, count);
}

std::unique_ptr<float[]> CConstFilter::ParseCoefficients(const tinyxml2::XMLElement& node,
                                                         int count) {
    if (count < 0)
        return nullptr;
    const char* content = node.GetText();
    std::string_view text = content != nullptr ? content : "";
    // At least one element, so that an empty list is a valid (non-null) result.
    std::unique_ptr<float[]> values(new (std::nothrow) float[static_cast<std::size_t>(count) + 1]);
    if (!values)
        return nullptr;
    for (int i = 0; i < count; ++i) {
        if (text.empty())
            return nullptr;
        SkipAll(text, SEPARATORS);
        if (!ScanNumber(text, values[i]))
            return nullptr;
        SkipAll(text, NUMBER_CHARACTERS);
    }
    return values;
}

} // namespace game
