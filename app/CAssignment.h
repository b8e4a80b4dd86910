#pragma once
// An assignment: a code a teacher gives a class. Under a code every random choice of a slide
// (the order of shuffled cells, random examples, the notch's tone) follows from the code and
// the slide's name alone, so every student who types the same code gets the same tasks.

#include <string>

class CAssignment {
public:
    // Longer codes are refused: a code is typed from the board.
    static constexpr std::size_t MAX_CODE_LENGTH = 40;

    // The code as it will be used: without blanks before and after.
    static std::wstring Cleaned(const std::wstring& code);
    // Empty when the (cleaned) code can be used; else the German sentence that says why not.
    static std::wstring Problem(const std::wstring& code);

    // False, and nothing changes, when the code has a problem.
    bool Set(const std::wstring& code);
    bool IsActive() const { return !m_code.empty(); }
    const std::wstring& Code() const { return m_code; }

    // The seed of every draw made for the slide: a hash of the code and the name that is the
    // same on every computer and in every version.
    unsigned SeedFor(const std::wstring& slideName) const;

private:
    std::wstring m_code;
};
