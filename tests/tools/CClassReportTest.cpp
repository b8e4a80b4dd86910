#include "SlideCheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

const std::string HEADER = "player,code,course,slide,points,maximum,seconds,date\n";

using slidecheck::Outcome;

// The installed command as a teacher calls it, from the folder given.
Outcome ClassReport(const std::string& arguments, const std::string& folder = ".") {
    return slidecheck::RunCommand("cd '" + folder + "' && " + CLASSREPORT_PROGRAM + " " +
                                  arguments);
}

// A class of three writing their results on different machines: a student who played a slide
// twice counts with the best attempt, of equal points the faster one; a slide without points
// has no solved share; names a spreadsheet would run as formulas stay text.
TEST(ClassReport, SummarisesTheBestAttemptsOfEveryStudent) {
    CTempFolder folder;
    const std::string a = CText::ToNarrow(folder.Write(
        "a.csv", HEADER + "Anna,KL7A,\"Töne, Klänge\",slides/t1.xml,4,4,50,2026-12-01 08:00:00\n"
                          "Anna,KL7A,\"Töne, Klänge\",slides/t2.xml,3,3,35,2026-12-01 08:01:00\n"
                          "Anna,KL7A,\"Töne, Klänge\",slides/t1.xml,2,4,30.5,2026-12-02 09:00:00\n"
                          "Anna,KL7A,\"Töne, Klänge\",slides/t2.xml,3,3,20,2026-12-02 09:01:00\n"));
    const std::string b = CText::ToNarrow(
        folder.Write("b.csv", "player,code,course,slide,points,maximum,seconds,date\r\n"
                              "Ben,KL7A,\"Töne, Klänge\",slides/t1.xml,1,4,10,2026-12-01\r\n"
                              "Ben,KL7A,\"Töne, Klänge\",slides/t2.xml,3,3,25.6,2026-12-01\r\n"
                              "Ben,KL7A,Filter,slides/f1.xml,0,2,60,2026-12-01\r\n"));
    const std::string c = CText::ToNarrow(folder.Write(
        "c.csv", HEADER + "\"Cem \"\"CJ\"\"\",KL7B,\"Töne, Klänge\",slides/t1.xml,4,4,15,"
                          "2026-12-04 10:00:00\n"
                          "\"Cem \"\"CJ\"\"\",KL7B,Filter,slides/info.xml,0,0,5,2026-12-04\n"
                          "=1+1,KL7B,Filter,slides/f1.xml,2,2,30,2026-12-04 10:05:00\n"));
    const std::string out = CText::ToNarrow(folder.PathOf("bericht"));

    const Outcome run = ClassReport("-o '" + out + "' '" + a + "' '" + b + "' '" + c + "'");

    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(ReadFile(out + ".csv"), "Kurs,Folie,Schüler,gelöst,Anteil gelöst,Median Sekunden\n"
                                      "\"Töne, Klänge\",slides/t1.xml,3,2,0.667,15.0\n"
                                      "\"Töne, Klänge\",slides/t2.xml,2,2,1.000,22.8\n"
                                      "Filter,slides/f1.xml,2,1,0.500,45.0\n"
                                      "Filter,slides/info.xml,1,0,,5.0\n"
                                      "\n"
                                      "Schüler,Kurs,Punkte,Maximum\n"
                                      "Anna,\"Töne, Klänge\",7,7\n"
                                      "Ben,\"Töne, Klänge\",4,7\n"
                                      "Ben,Filter,0,2\n"
                                      "\"Cem \"\"CJ\"\"\",\"Töne, Klänge\",4,4\n"
                                      "\"Cem \"\"CJ\"\"\",Filter,0,0\n"
                                      "'=1+1,Filter,2,2\n");
}

// A damaged line costs only itself, a damaged file only itself, and the teacher is told where.
TEST(ClassReport, ReportsAndSkipsWhatItCannotUse) {
    enum class EKind { File, Missing, Folder, Huge };
    const std::string zoe = "Zoe,K,Kurs,s.xml,1,1,3,2026-12-01\n";
    const struct {
        EKind kind;
        std::string bytes;
        std::string message; // after the file's path
        bool restCounts;     // the file's good line is in the report
    } cases[] = {
        {EKind::File, HEADER + "Zoe,K,Kurs,s.xml,1,1,3\n" + zoe, ":2: 7 statt 8 Spalten", true},
        {EKind::File, HEADER + zoe + "Zoe,K,Kurs,t.xml,eins,1,3,2026-12-01\n",
         ":3: Spalte points: „eins“ ist keine ganze Zahl", true},
        {EKind::File, HEADER + "Zoe,K,Kurs,t.xml,0,-1,3,2026-12-01\n" + zoe,
         ":2: Spalte maximum: „-1“ ist negativ", true},
        {EKind::File, HEADER + "Zoe,K,Kurs,t.xml,1,1,nan,2026-12-01\n" + zoe,
         ":2: Spalte seconds: „nan“ ist keine Zahl", true},
        {EKind::File, HEADER + "Zoe,K,Kurs,t.xml,1,1,-2.5,2026-12-01\n" + zoe,
         ":2: Spalte seconds: „-2.5“ ist negativ", true},
        {EKind::File,
         HEADER + "Zoe,K,Kurs,t.xml,1,1,1" + std::string(300, '0') + ",2026-12-01\n" + zoe,
         ":2: Spalte seconds: „1000000000000000000000000000000000000000…“ ist zu groß", true},
        {EKind::File, HEADER + "Zoe,K,Kurs,t.xml,3,2,3,2026-12-01\n" + zoe,
         ":2: points (3) größer als maximum (2)", true},
        {EKind::File, HEADER + "Zoe,K,Kurs,t.xml,1,1,3,gestern\n" + zoe,
         ":2: Spalte date: „gestern“ ist kein Datum", true},
        {EKind::File, HEADER + "Zoe,K,Kurs,t\xFF.xml,1,1,3,2026-12-01\n" + zoe,
         ":2: kein gültiges UTF-8", true},
        {EKind::File, HEADER + "Zoe,\"K\n7\",Kurs,s.xml,1,1,3,2026-12-01\nZoe,K,Kurs\n",
         ":4: 3 statt 8 Spalten", true},
        {EKind::File, HEADER + "Zoe,K,Kurs,t.xml,1\"1,1,3,2026-12-01\n" + zoe,
         ":2: Anführungszeichen mitten im Feld", true},
        {EKind::File, HEADER + zoe + "Zoe,K,\"Kurs,t.xml,1,1,3,2026-12-01\n",
         ":3: Anführungszeichen nicht geschlossen", true},
        {EKind::File, zoe, ":1: Kopfzeile fehlt", false},
        {EKind::File, HEADER + std::string("Zoe\0", 4) + zoe, ": enthält Binärdaten", false},
        {EKind::Missing, "", ": nicht gefunden", false},
        {EKind::Folder, "", ": ist ein Ordner", false},
        {EKind::Huge, HEADER + zoe, ": ist größer als 64 MiB", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        CTempFolder folder;
        const std::string good =
            CText::ToNarrow(folder.Write("good.csv", HEADER + "Anna,K,Kurs,s.xml,2,2,"
                                                              "4,2026-12-01\n"));
        const std::string bad = CText::ToNarrow(folder.PathOf("bad.csv"));
        if (c.kind == EKind::File || c.kind == EKind::Huge)
            folder.Write("bad.csv", c.bytes);
        if (c.kind == EKind::Huge)
            std::filesystem::resize_file(bad, (64u << 20) + 1); // sparse: costs no disk
        if (c.kind == EKind::Folder)
            std::filesystem::create_directory(bad);
        const std::string out = CText::ToNarrow(folder.PathOf("out"));

        const Outcome run = ClassReport("-o '" + out + "' '" + bad + "' '" + good + "'");

        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_NE(run.output.find(bad + c.message), std::string::npos) << run.output;
        const std::string csv = ReadFile(out + ".csv");
        EXPECT_NE(csv.find("Anna,Kurs,2,2\n"), std::string::npos) << csv;
        EXPECT_EQ(csv.find("Zoe,Kurs,1,1\n") != std::string::npos, c.restCounts) << csv;
    }
}

// The report never takes the place of a file it reads, however the name is spelled, also on
// a second run in the same folder; a call without anything to report writes nothing.
TEST(ClassReport, RefusesToWriteOverItsInputs) {
    CTempFolder folder;
    const std::string results = HEADER + "Anna,K,Kurs,s.xml,2,2,4,2026-12-01\n";
    const std::string a = CText::ToNarrow(folder.Write("a.csv", results));
    const std::string page = CText::ToNarrow(folder.Write("p.html", results));
    const std::string old = CText::ToNarrow(folder.Write("klassenbericht.csv", results));
    const std::string empty = CText::ToNarrow(folder.Write("leer.csv", HEADER));
    const std::string dir = CText::ToNarrow(folder.Folder());
    const struct {
        std::string arguments;
        int status;
        const char* output;
    } cases[] = {
        {"-o '" + dir + "/a' '" + a + "'", 2, "a.csv: ist eine der gelesenen Dateien"},
        {"-o '" + dir + "/x/../a' '" + a + "'", 2, "wird nicht überschrieben"},
        {"-o '" + dir + "/p' '" + a + "' '" + page + "'", 2, "wird nicht überschrieben"},
        {"klassenbericht.csv", 2, "wird nicht überschrieben"},
        {"-o '" + dir + "/neu' '" + empty + "'", 1, "Keine verwertbare Zeile"},
        {"", 2, "Aufruf: velmora-classreport"},
        {"-x '" + a + "'", 2, "Aufruf: velmora-classreport"},
    };
    std::filesystem::create_directory(dir + "/x");
    for (const auto& c : cases) {
        const Outcome run = ClassReport(c.arguments, dir);
        EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.output;
        EXPECT_NE(run.output.find(c.output), std::string::npos) << c.arguments << "\n"
                                                                << run.output;
    }
    for (const std::string& input : {a, page, old})
        EXPECT_EQ(ReadFile(input), results) << input;
    EXPECT_FALSE(std::filesystem::exists(dir + "/p.csv"));
    EXPECT_FALSE(std::filesystem::exists(dir + "/neu.csv"));
}

// Names are shown as written, never run as markup; each student's bar is as long as the share
// of the course's points; the page needs nothing from outside.
TEST(ClassReport, PageShowsNamesAsTextAndBarsAsShares) {
    CTempFolder folder;
    const std::string a = CText::ToNarrow(
        folder.Write("a.csv", HEADER + "\"<b>&\"\"\",K,<i>Kurs,s.xml,3,4,4,2026-12-01\n"
                                       "\"<b>&\"\"\",K,<i>Kurs,t.xml,0,0,4,2026-12-01\n"));
    const std::string out = CText::ToNarrow(folder.PathOf("out"));

    ASSERT_EQ(ClassReport("-o '" + out + "' '" + a + "'").status, 0);

    const std::string html = ReadFile(out + ".html");
    EXPECT_NE(html.find("<h3>&lt;b&gt;&amp;&quot;</h3>"), std::string::npos) << html;
    EXPECT_EQ(html.find("<b>"), std::string::npos) << html;
    EXPECT_EQ(html.find("<i>"), std::string::npos) << html;
    EXPECT_NE(html.find("width:75.0%\"></span></span></td><td class=\"n\">3 von 4 Punkten"),
              std::string::npos)
        << html;
    for (const char* outside : {"<script", "src=", "href=", "url("})
        EXPECT_EQ(html.find(outside), std::string::npos) << outside;
}

} // namespace
