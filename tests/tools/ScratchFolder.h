#pragma once
// A fresh folder under the system's temporary folder for one test, removed with everything in
// it afterwards. With Enter() it is the working folder until the object goes away.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& purpose) {
        static int serial = 0;
        m_path = std::filesystem::temp_directory_path() /
                 ("velmora_tools_" + purpose + "_" + std::to_string(::getpid()) + "_" +
                  std::to_string(++serial));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~ScratchFolder() {
        if (!m_previous.empty())
            std::filesystem::current_path(m_previous);
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    void Enter() {
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_path);
    }
    void Write(const std::string& name, const std::string& bytes) const {
        std::filesystem::create_directories((m_path / name).parent_path());
        std::ofstream(m_path / name, std::ios::binary) << bytes;
    }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path, m_previous;
};

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}
