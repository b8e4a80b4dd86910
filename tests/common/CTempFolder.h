#pragma once
// A private folder under the system's temporary folder, removed with everything in it when the
// object goes away.

#include <string>

class CTempFolder {
public:
    CTempFolder();
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    // Writes bytes to a file of this name in the folder and returns its path.
    std::wstring Write(const std::string& name, const std::string& bytes) const;
    std::wstring PathOf(const std::string& name) const;
    std::wstring Folder() const;

private:
    std::string m_path;
};
