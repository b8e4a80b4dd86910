#include "platform/CFont.h"

// Logical pixels per inch, as on a standard-density screen: one point is 96/72 pixels.
static constexpr int PIXELS_PER_INCH = 96;

bool CFont::CreateFontIndirect(const CLogFont& description) {
    m_description = description;
    return true;
}

bool CFont::CreatePointFont(int tenthsOfPoint, const std::wstring& faceName) {
    if (tenthsOfPoint <= 0)
        return false;
    CLogFont description;
    // Rounded to the nearest pixel, negative: the size names the character height.
    description.height = -((tenthsOfPoint * PIXELS_PER_INCH + 360) / 720);
    description.faceName = faceName;
    return CreateFontIndirect(description);
}

bool CFont::GetLogFont(CLogFont& out) const {
    if (!m_description)
        return false;
    out = *m_description;
    return true;
}
