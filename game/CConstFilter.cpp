#include "game/CConstFilter.h"

#include <tinyxml2.h>

#include <charconv>
#include <cstring>
#include <new>
#include <string_view>

namespace game {

namespace {

constexpr std::string_view SEPARATORS = "\t\r\n ,";
constexpr std::string_view NUMBER_CHARACTERS = "0123456789e-+.";

// Reads one number from the front of text into value, without the C library's locale (a
// German locale would stop at the point): optional sign, digits with an optional point, an
// optional exponent. False when text does not start with a number that fits a double.
bool ScanNumber(std::string_view text, float& value) {
    // from_chars takes no leading plus sign.
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double number = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
    if (result.ec != std::errc())
        return false;
    // Beyond float the value becomes infinite and the filter is refused for it.
    value = static_cast<float>(number);
    return true;
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

std::unique_ptr<float[]> CConstFilter::ReadChild(const tinyxml2::XMLElement& node, const char* tag,
                                                 int& count) {
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
    const char* content = node.GetText();
    std::string_view text = content != nullptr ? content : "";
    // Every number takes at least one character: a longer list cannot be there, and an absurd
    // order must not reserve gigabytes first.
    if (count < 0 || static_cast<std::size_t>(count) > text.size())
        return nullptr;
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
