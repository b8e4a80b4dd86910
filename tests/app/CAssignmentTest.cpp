// Assignments: one code prepares the same tasks in every run, and every finished course adds
// its slides to the results file the class report reads.
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
    // Plays the course once under the code and returns what its first slide was prepared
    // with: the order of the shuffled cells, and every sample of every signal.
    using Prepared = std::pair<std::vector<int>, std::vector<float>>;
    Prepared PlayCourse(const std::wstring& code) {
        Prepared prepared;
        CVelmoraDlg dialog;
        EXPECT_TRUE(dialog.SetAssignment(code));
        AnswerScoreDialogs(dialog);
        RunModal(dialog, [&] {
            EXPECT_EQ(dialog.GetWindowText(), L"Velmora – Aufgabe „" + CAssignment::Cleaned(code) + L"“");
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
    for (int i = 0; i < 5; ++i) {
        std::vector<std::int16_t> tone(4000);
        for (std::size_t n = 0; n < tone.size(); ++n)
            tone[n] = std::int16_t(8000 * std::sin(0.05 * double(i + 1) * double(n)));
        Write("examples/" + std::to_string(i) + ".wav", CWaveBytes::Mono16(tone));
    }
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

    std::vector<std::string> lines;
    std::istringstream in(Read("ergebnisse.csv"));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line.substr(0, line.find(",", line.find(".xml"))));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         CResultsFile::HEADER, "Anna,7a-Filter,Kurs,s.xml", "Anna,7a-Filter,Kurs,t.xml",
                         "Anna,7a-Filter,Kurs,s.xml", "Anna,7a-Filter,Kurs,t.xml",
                         "Anna,7b-Filter,Kurs,s.xml", "Anna,7b-Filter,Kurs,t.xml"}));

    CVelmoraDlg dialog;
    for (const std::wstring& bad : {std::wstring(), std::wstring(L"   "), std::wstring(10000, L'x'),
                                    std::wstring(L"7a\nb")}) {
        EXPECT_FALSE(dialog.SetAssignment(bad)) << bad.size();
        EXPECT_FALSE(CAssignment::Problem(bad).empty());
    }
    EXPECT_FALSE(dialog.Assignment().IsActive());
}

// The file gets a header when it is new, keeps every line it had, takes one line per slide
// with names quoted as CSV quotes them, and is replaced by a rename: a second name of the old
// file still holds exactly the old bytes. What is not a results file is kept beside it.
TEST_F(Assignment, ResultsFileOnlyEverGrows) {
    const std::string header = std::string(CResultsFile::HEADER) + "\n";
    const std::string older = header + "Ben,7a,Kurs,a.xml,1,1,2.000,2026-12-01";
    const std::string binary("PK\0\x03\xff", 5);
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
        {"binary", binary, header + added, L"war keine Ergebnisdatei", 2},
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
        EXPECT_NE(file.Message().find(c.told), std::wstring::npos) << file.Message();
        EXPECT_EQ(c.told[0] == 0, file.Message().empty()) << file.Message();
        if (!c.after.empty()) {
            EXPECT_EQ(Read(path), c.after);
        }
        EXPECT_EQ(fs::is_directory(path), !c.before);
        std::vector<std::string> kept;
        for (const auto& entry : fs::directory_iterator("results"))
            if (entry.path() != path)
                kept.push_back(Read(entry.path()));
        EXPECT_EQ(kept, std::vector<std::string>(c.oldNames, c.before.value_or("")));
    }
}

} // namespace
