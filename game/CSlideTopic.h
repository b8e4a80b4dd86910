#pragma once
// What a slide teaches and how hard it is, read from the attributes "topic" and "level" of its
// root <GameSlide> without building the slide: the practice mode picks slides by them, the
// progress view sums results by them. A slide without them has no topic and level 1.

#include <string>
#include <vector>

namespace tinyxml2 {
class XMLElement;
}

namespace game {

class CSlideTopic {
public:
    static constexpr int MIN_LEVEL = 1;
    static constexpr int MAX_LEVEL = 3;

    // The topics a slide may name, in the order the courses teach them.
    static const std::vector<std::string>& Topics();
    // The position of the topic in Topics(), -1 for none or an unknown one.
    static int IndexOf(const std::string& topic);

    // Reads the root's attributes. An unknown topic or a level out of range is left out (no
    // topic, level 1: the slide plays as before) and described in error.
    static CSlideTopic Read(const tinyxml2::XMLElement& root, std::string* error = nullptr);
    // Reads the file's root. False when the file is no slide the game could load.
    static bool ReadFile(const std::wstring& path, CSlideTopic& info, std::string* error = nullptr);

    std::string topic; // UTF-8, empty: none
    int level = MIN_LEVEL;
    bool exercise = false; // it explains an answer, so it is a task to practise
};

} // namespace game
