#include "app/CAssignment.h"

#include "platform/CText.h"

#include <algorithm>
#include <cstdint>

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\u00A0'; }

bool IsControl(wchar_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

// FNV-1a over the bytes: fixed by its definition, unlike std::hash.
void Mix(std::uint32_t& hash, const std::string& bytes) {
    for (const unsigned char c : bytes) {
        hash ^= c;
        hash *= 16777619u;
    }
}

} // namespace

std::wstring CAssignment::Cleaned(const std::wstring& code) {
    const auto first = std::find_if_not(code.begin(), code.end(), IsBlank);
    const auto last = std::find_if_not(code.rbegin(), code.rend(), IsBlank).base();
    return first < last ? std::wstring(first, last) : std::wstring();
}

std::wstring CAssignment::Problem(const std::wstring& code) {
    const std::wstring cleaned = Cleaned(code);
    if (cleaned.empty())
        return L"Bitte einen Aufgabencode eingeben.";
    if (cleaned.size() > MAX_CODE_LENGTH)
        return L"Der Aufgabencode ist zu lang (" + std::to_wstring(cleaned.size()) +
               L" Zeichen); erlaubt sind höchstens " + std::to_wstring(MAX_CODE_LENGTH) +
               L" Zeichen.";
    if (std::any_of(cleaned.begin(), cleaned.end(), IsControl))
        return L"Der Aufgabencode darf keine Steuerzeichen (wie Tabulator oder Zeilenumbruch) "
               L"enthalten.";
    return {};
}

bool CAssignment::Set(const std::wstring& code) {
    if (!Problem(code).empty())
        return false;
    m_code = Cleaned(code);
    return true;
}

unsigned CAssignment::SeedFor(const std::wstring& slideName) const {
    std::uint32_t hash = 2166136261u;
    Mix(hash, CText::ToNarrow(m_code));
    Mix(hash, std::string(1, '\0')); // "ab"+"c" and "a"+"bc" differ
    Mix(hash, CText::ToNarrow(slideName));
    return hash;
}
