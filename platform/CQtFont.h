#pragma once
// Turns a Windows-style font description into a QFont, for the platform layer's own sources
// only (this header includes Qt). Face names go through the substitutions Windows applies
// ("Times" is "Times New Roman") and then through fontconfig, so "Times" ends up as a real
// serif such as Liberation Serif.

#include <QFont>

struct CLogFont;
class CFont;

class CQtFont {
public:
    static QFont FromLogFont(const CLogFont& description);
    // A font that was never created gives the application's default font.
    static QFont FromFont(const CFont& font);
};
