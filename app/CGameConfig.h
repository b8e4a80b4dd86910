#pragma once
// The game configuration "game.xml": example and slide folders (handed to the catalogue as
// they are read), courses, font, the texts of the shell and the window mode.

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace game {
class CGameContext;
}
namespace tinyxml2 {
class XMLElement;
}

struct CCourse {
    std::wstring title;
    std::vector<std::wstring> slides;
    bool hasHighscore = false;
};

class CGameConfig {
public:
    // Reads the file; folders go to the context's catalogue as they are read. False when the
    // file stops early (missing, no regular file, larger than a slide file may be, not
    // well-formed, wrong root, no example or slide folder):
    // what was read before stays, fonts and texts are then not set.
    bool Load(const std::string& path, game::CGameContext& context);

    std::vector<CCourse> courses;
    // Set only when the whole file was read.
    bool complete = false;
    int fontSize = 140; // tenths of a point
    std::wstring fontName = L"Times";
    // The game's own texts, also when the file is missing or stops before its dialogtext.
    std::map<std::wstring, std::wstring> dialogTexts = {
        {L"cur_points", L"Es wurden %d von %d Punkte erreicht"},
        {L"rnd_course", L"Zufällige Aufgabenauswahl"},
        {L"highscore", L"Bestenliste"}};
    bool hasDialogTexts = false; // a dialogtext element was there
    std::optional<std::wstring> nextCaption, checkCaption, mainMenuCaption;
    bool fitToScreen = false;

private:
    void ReadCourse(const tinyxml2::XMLElement& course);
    void ReadFont(const tinyxml2::XMLElement& game);
    void ReadDialogTexts(const tinyxml2::XMLElement& game);
};
