#pragma once
// A font described the Windows way: height in logical pixels (negative: character height),
// weight, italic, face name. A copy is made by re-creating a font from the description.

#include <optional>
#include <string>

struct CLogFont {
    int height = 0; // pixels; negative = character height without internal leading
    int weight = 400;
    bool italic = false;
    bool underline = false;
    std::wstring faceName;
    bool operator==(const CLogFont&) const = default;
};

class CFont {
public:
    bool CreateFontIndirect(const CLogFont& description);
    // Size in tenths of a point, as dialogs and the configuration give it.
    bool CreatePointFont(int tenthsOfPoint, const std::wstring& faceName);
    bool IsCreated() const { return m_description.has_value(); }
    // The description; false when the font was never created.
    bool GetLogFont(CLogFont& out) const;
    void DeleteObject() { m_description.reset(); }

private:
    std::optional<CLogFont> m_description;
};
