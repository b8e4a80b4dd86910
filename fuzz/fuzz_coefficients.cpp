// Coefficient lists as slide files give them: the first two bytes are the count the "order"
// attribute names, the rest the element's text. Either the list is refused with a reason for
// the author, or every one of the count numbers is there to read and finite.

#include "game/CConstFilter.h"

#include <tinyxml2.h>

#include <cmath>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const int count = data[0] | data[1] << 8;
    std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    text = text.substr(0, text.find('\0')); // an element's text ends at a zero byte
    tinyxml2::XMLDocument document;
    tinyxml2::XMLElement* element = document.NewElement("a");
    document.InsertEndChild(element);
    element->SetText(text.c_str());
    std::wstring problem;
    const auto values = game::CConstFilter::ParseCoefficients(*element, count, &problem);
    if (!values && problem.empty())
        __builtin_trap();
    if (values) {
        for (int i = 0; i < count; ++i)
            if (!std::isfinite(values[i]))
                __builtin_trap();
    }
    return 0;
}
