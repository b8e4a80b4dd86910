// The teacher's class report: reads the results files the game writes for courses played
// under an assignment code and summarises them as a CSV table and an HTML page.
//
//   classreport [-o OUTPUT_BASENAME] FILE...     (writes OUTPUT.csv and OUTPUT.html)
//
// Exit status 0 when the report was written (skipped lines do not count), 1 when no file held
// a usable line, 2 on bad usage or when an output cannot be written.

#include "tools/CClassReport.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char USAGE[] =
    "Aufruf: velmora-classreport [-o AUSGABE] DATEI...\n"
    "Liest die Ergebnisdateien des Spiels und schreibt AUSGABE.csv und AUSGABE.html\n"
    "(ohne -o: klassenbericht.csv und klassenbericht.html im aktuellen Ordner).\n";

struct Call {
    std::string basename = "klassenbericht";
    std::vector<std::string> files;
    bool help = false;
};

// False on a call that makes no sense.
bool ReadCall(int argc, char** argv, Call& call) {
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (options && (argument == "--help" || argument == "-h")) {
            call.help = true;
        } else if (options && argument == "-o") {
            if (++i == argc || std::string(argv[i]).empty())
                return false;
            call.basename = argv[i];
        } else if (options && argument == "--") {
            options = false;
        } else if (options && argument.size() > 1 && argument[0] == '-') {
            return false;
        } else {
            call.files.push_back(argument);
        }
    }
    return call.help || !call.files.empty();
}

void PrintMessages(const CClassReport& report, std::size_t& printed) {
    for (; printed < report.Messages().size(); ++printed)
        std::fprintf(stderr, "%s\n", report.Messages()[printed].c_str());
}

} // namespace

int main(int argc, char** argv) {
    Call call;
    if (!ReadCall(argc, argv, call)) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    if (call.help) {
        std::fputs(USAGE, stdout);
        return 0;
    }
    CClassReport report;
    std::size_t printed = 0;
    for (const std::string& file : call.files) {
        report.AddFile(file);
        PrintMessages(report, printed);
    }
    if (!report.HasResults()) {
        std::fputs("Keine verwertbare Zeile gelesen – kein Bericht geschrieben.\n", stderr);
        return 1;
    }
    const bool written = report.Write(call.basename);
    PrintMessages(report, printed);
    if (!written)
        return 2;
    std::fprintf(stderr, "%d Zeilen gelesen, %d übersprungen; geschrieben: %s.csv, %s.html\n",
                 report.LinesUsed(), report.LinesSkipped(), call.basename.c_str(),
                 call.basename.c_str());
    return 0;
}
