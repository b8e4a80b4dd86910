// Assignments: one code, one set of tasks; every finished course adds to the results file.
#include "GameFolder.h"

#include "app/CResultsFile.h"
#include "common/CWaveBytes.h"
#include "dsp/CSignal.h"
#include "game/CTable.h"
#include "game/CToneSequence.h"

namespace {

namespace fs = std::filesystem;

class Assignment : public GameFolder {
protected:
    // Plays the course under the code: the first slide's shuffled cells and its samples.
    using Prepared = std::pair<std::vector<int>, std::vector<float>>;
    Prepared PlayCourse(const std::wstring& code) {
        Prepared prepared;
        CVelmoraDlg dialog;
        EXPECT_TRUE(dialog.SetAssignment(code));
        AnswerScoreDialogs(dialog);
        RunModal(dialog, [&] {
            EXPECT_NE(dialog.GetWindowText().find(dialog.Assignment().Code()), std::wstring::npos);
            Click(dialog, ID_COURSE_FIRST);
            ASSERT_TRUE(WaitUntil([&] { return Enabled(dialog, IDC_CHECK); }));
            const auto& slide = *dialog.CurrentSlide();
            prepared.first = dynamic_cast<game::CTable&>(*slide.Children().front()).CurrentIds();
            for (const auto& [id, signal] : slide.Context().Signals())
                prepared.second.insert(prepared.second.end(), signal->GetSamples(),
                                       signal->GetSamples() + signal->GetSampleCount());
            Click(dialog, IDC_CHECK);
            for (int slides = 0; slides < 2; ++slides) { // the text slide, then the end
                ASSERT_TRUE(WaitUntil([&] { return Enabled(dialog, IDC_NEXT); }));
                Click(dialog, IDC_NEXT);
            }
            dialog.EndDialog(IDCANCEL);
        });
        QObject::disconnect(&responder, nullptr, nullptr, nullptr);
        return prepared;
    }
};

// Runs of one code draw the same cells, examples and tones, whatever the generators did
// before; another code draws others. Each run adds one line per slide of the course.
TEST_F(Assignment, OneCodeOneSetOfTasks) {
    for (int i = 1; i <= 5; ++i) // examples told apart by their level
        Write("examples/" + std::to_string(i) + ".wav",
              CWaveBytes::Mono16(std::vector<std::int16_t>(4000, std::int16_t(1000 * i))));
    std::string cells;
    for (int id = 1; id <= 5; ++id)
        cells += "<notch id='" + std::to_string(id) + "' width='256' height='64' example='*'/>";
    Write("slides/s.xml", "<GameSlide><table rows='1' cols='5'><row shuffle='1'>" + cells +
                              "</row></table></GameSlide>");
    WriteSlide("t.xml", "<static/>", 1);
    WriteGame("<course titel='Kurs'><slide>slides/s.xml</slide><slide>slides/t.xml</slide>"
              "</course>");

    const Prepared first = PlayCourse(L"7a-Filter");
    game::CToneSequence::Seed(12345);
    EXPECT_EQ(PlayCourse(L"  7a-Filter "), first); // blanks around a typed code do not count
    const Prepared other = PlayCourse(L"7b-Filter");
    EXPECT_NE(other.first, first.first);
    EXPECT_NE(other.second, first.second);

    const std::string results = ReadFile("ergebnisse.csv"); // the header, then 3 courses of 2 slides
    EXPECT_EQ(std::count(results.begin(), results.end(), '\n'), 7) << results;
    for (const char* line : {"\nAnna,7a-Filter,Kurs,s.xml,", "\nAnna,7b-Filter,Kurs,t.xml,0,0,"})
        EXPECT_NE(results.find(line), std::string::npos) << line;

    for (const std::wstring& bad : {std::wstring(), std::wstring(L"  "), std::wstring(L"7a\tb"),
                                    std::wstring(10000, L'x')})
        EXPECT_FALSE(CAssignment::Problem(bad).empty()) << bad.size();
}

// A header when new, every old line kept, one line per row, CSV quoting; replaced by a rename
// (a second name of the old file keeps the old bytes). What is no results file is kept aside.
TEST_F(Assignment, ResultsFileOnlyEverGrows) {
    const std::string header = std::string(CResultsFile::HEADER) + "\n";
    const std::string older = header + "Ben,7a,Kurs,a.xml,1,1,2.000,2026-12-01";
    const std::string added =
        "\"Müller, \"\"Anna\"\" B\",\"7a,\"\"x\"\"\",Kurs 1,s.xml,3,5,12.346,2026-12-09 08:15:00\n"
        "Ben,\"7a,\"\"x\"\"\",Kurs 1,t.xml,0,0,0.500,2026-12-09 08:15:00\n";
    const struct {
        const char* name;
        std::optional<std::string> before; // no value: a folder of that name
        std::string after;                 // empty: nothing written
        const wchar_t* told;
        std::size_t oldNames; // names besides the file's own that hold the old bytes after
    } cases[] = {
        {"new", "", header + added, L"", 0},
        {"appended", older, older + "\n" + added, L"", 1},
        {"folder", std::nullopt, "", L"„ergebnisse.csv“ gespeichert werden: Die Datei ist ein Ordner", 0},
        {"binary", std::string("PK\0\x03\xff", 5), header + added, L"war keine Ergebnisdatei", 2},
        {"other header", "name;punkte\n", header + added, L"war keine Ergebnisdatei", 2},
    };
    const std::vector<CResultsFile::Row> rows = {
        {L"Müller, \"Anna\"\tB", L"7a,\"x\"", L"Kurs 1", L"s.xml", 3, 5, 12.3456, "2026-12-09 08:15:00"},
        {L"Ben", L"7a,\"x\"", L"Kurs 1", L"t.xml", 0, 0, 0.5, "2026-12-09 08:15:00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all("results");
        fs::create_directory("results");
        const fs::path path = "results/ergebnisse.csv";
        if (!c.before)
            fs::create_directory(path);
        else if (!c.before->empty()) {
            Write(path.string(), *c.before);
            fs::create_hard_link(path, "results/vorher");
        }
        CResultsFile file(path.string());
        EXPECT_EQ(file.Append(rows), !c.after.empty());
        EXPECT_TRUE(*c.told ? file.Message().find(c.told) != std::wstring::npos
                            : file.Message().empty())
            << file.Message();
        EXPECT_EQ(fs::is_directory(path) ? "" : ReadFile(path), c.after);
        EXPECT_EQ(fs::is_directory(path), !c.before);
        std::vector<std::string> kept;
        for (const auto& entry : fs::directory_iterator("results"))
            if (entry.path() != path)
                kept.push_back(ReadFile(entry.path()));
        EXPECT_EQ(kept, std::vector<std::string>(c.oldNames, c.before.value_or("")));
    }
}

} // namespace
