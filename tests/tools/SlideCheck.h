#pragma once
// Game folders written for one check and checked from inside, the way the game reads them.
#include "common/CTempFolder.h"
#include "common/CWaveBytes.h"
#include "platform/CText.h"
#include "tools/CSlideChecker.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <future>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace slidecheck {

// A game whose one course holds the given slides (none: no course).
inline std::string Game(const std::vector<std::string>& slides) {
    std::string xml = "<game><audioexamples>examples</audioexamples><slides>slides</slides>";
    if (!slides.empty()) {
        xml += "<course titel='Kurs'>";
        for (const std::string& slide : slides)
            xml += "<slide>" + slide + "</slide>";
        xml += "</course>";
    }
    return xml + "</game>";
}

// Half a second of a sawtooth at 8 kHz.
inline std::string Tone() {
    std::vector<std::int16_t> pcm(4000);
    for (std::size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = static_cast<std::int16_t>(i % 20 * 500);
    return CWaveBytes::Mono16(pcm);
}

// Checks the game in the folder from inside it, on a thread of its own. The file fifo, if
// given, is made a FIFO first; a check that waits on it is released by a writer coming and
// going, so the test ends either way. prompt tells whether it had to be.
inline CSlideChecker::Report CheckIn(const CTempFolder& folder, const std::string& fifo = "",
                                     bool* prompt = nullptr) {
    using namespace std::chrono_literals;
    if (!fifo.empty())
        ::mkfifo(CText::ToNarrow(folder.PathOf(fifo)).c_str(), 0600);
    const auto home = std::filesystem::current_path();
    std::filesystem::current_path(folder.Folder());
    auto done = std::async(std::launch::async, [] { return CSlideChecker::Check("game.xml"); });
    const bool ready = done.wait_for(2s) == std::future_status::ready;
    while (done.wait_for(0s) != std::future_status::ready) {
        const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
        std::this_thread::sleep_for(50ms);
        ::close(writer);
    }
    CSlideChecker::Report report = done.get();
    std::filesystem::current_path(home);
    if (prompt != nullptr)
        *prompt = ready;
    return report;
}

// Checks a fresh folder holding these files (name: contents).
inline CSlideChecker::Report Check(const std::map<std::string, std::string>& files) {
    CTempFolder folder;
    for (const auto& [name, text] : files)
        folder.Write(name, text);
    return CheckIn(folder);
}

// What the author reads: every failure, then every warning.
inline std::vector<std::string> Messages(const CSlideChecker::Report& report) {
    std::vector<std::string> messages;
    for (const auto& failure : report.failures)
        messages.push_back(CSlideChecker::Message(failure));
    for (const auto& warning : report.warnings)
        messages.push_back(CSlideChecker::Message(warning));
    return messages;
}

// A command's exit status (-1: it did not exit) and everything it printed.
struct Outcome {
    int status = -1;
    std::string output;
};
inline Outcome RunCommand(const std::string& command) {
    Outcome run;
    FILE* program = popen((command + " 2>&1").c_str(), "r");
    if (program == nullptr)
        return run;
    for (int c; (c = std::fgetc(program)) != EOF;)
        run.output += static_cast<char>(c);
    const int status = pclose(program);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace slidecheck
