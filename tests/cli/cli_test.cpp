// Runs the real corvane-cli in a temporary directory.

#include "configdoc/corvanedoc.h"
#include "configdoc/datafile.h"

#include "support/cliprocess.h"

#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

namespace corvane {
namespace {

using testing::CliRun;
using testing::Lines;

class Cli : public ::testing::Test {
protected:
    QTemporaryDir dir;

    std::string path(const std::string& name) const { return dir.filePath(QString::fromStdString(name)).toStdString(); }

    CliRun run(const std::vector<std::string>& args) const
    {
        return testing::RunCli(args, {.workingDirectory = dir.path()});
    }

    // Runs a command that must succeed.
    std::string ok(const std::vector<std::string>& args) const
    {
        CliRun r = run(args);
        EXPECT_EQ(r.exit, 0) << args[0] << ": " << r.err;
        return r.out;
    }

    std::string newFile(const std::string& name) const
    {
        ok({"new", path(name)});
        return path(name);
    }

    static std::string read(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void write(const std::string& file, const std::string& text) const
    {
        std::ofstream out(file, std::ios::binary);
        out << text;
    }
};

TEST_F(Cli, UsageListsCommandsAndEveryCommandHasHelp)
{
    const char* commands[] = {"new", "info", "list", "get", "set", "export", "import", "diff"};
    for (const auto& args : {std::vector<std::string>{}, std::vector<std::string>{"--help"}}) {
        const std::string usage = ok(args.empty() ? std::vector<std::string>{"--help"} : args);
        for (const char* c : commands)
            EXPECT_NE(usage.find(std::string("\n  ") + c + " "), std::string::npos) << c;
    }
    EXPECT_EQ(run({}).exit, 0);
    for (const char* c : commands)
        EXPECT_EQ(ok({c, "--help"}).rfind(std::string("Usage: corvane-cli ") + c, 0), 0u) << c;

    CliRun unknown = run({"frobnicate"});
    EXPECT_EQ(unknown.exit, 1);
    EXPECT_EQ(Lines(unknown.err).size(), 1u);
}

TEST_F(Cli, NewThenInfo)
{
    const std::string file = newFile("a.mlb");
    EXPECT_EQ(ok({"info", file}), "File type id: 31034\n"
                                  "Revision: 0.03\n"
                                  "Product: Corvane for Pellion.net\n"
                                  "Notice: Pellion.net Configuration File\n"
                                  "Comm port: COM1\n"
                                  "Address: 1\n"
                                  "Codes with a value: 0\n");
    ok({"set", file, "5", "131", "12"});
    const std::string before = read(file);

    // new never replaces a file unless told to.
    CliRun again = run({"new", file});
    EXPECT_EQ(again.exit, 1);
    EXPECT_EQ(Lines(again.err).size(), 1u);
    EXPECT_EQ(read(file), before);
    EXPECT_NE(ok({"info", file}).find("Codes with a value: 1\n"), std::string::npos);
    ok({"new", file, "--force"});
    EXPECT_NE(ok({"info", file}).find("Codes with a value: 0\n"), std::string::npos);
}

TEST_F(Cli, SetThenGet)
{
    const std::string file = newFile("a.mlb");
    struct Case {
        const char* dir;
        const char* code;
        const char* value;
        const char* level; // nullptr: no --level
        const char* shown;
        const char* shownLevel;
    } cases[] = {
        {"5", "131", "12.7", nullptr, "12", "N/A"},
        {"Alarms", "611", "bits:0,2", "2", "005", "2"},
        {"digital inputs", "201", "Remote Start", nullptr, "06 Remote Start", "N/A"},
        {"2", "202", "3", "1", "03 Recipe Sel 1", "1"},
        {"Wild Stream Meter", "301", "2.5", nullptr, "0002.500", "N/A"},
        {"Recipe 5", "002", "Diesel", nullptr, "Diesel   ", "N/A"},
        {"10", "721", "192.168.1.5", nullptr, "3232235781", "N/A"},
        {"10", "737", "06:30p", "3", "06:30P", "3"},
        {"4", "402", "-1.5", nullptr, "-1.50", "N/A"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"set", file, c.dir, c.code, c.value};
        if (c.level) {
            args.push_back("--level");
            args.push_back(c.level);
        }
        ok(args);
        EXPECT_EQ(ok({"get", file, c.dir, c.code}), std::string(c.shown) + "\n") << c.code;
        EXPECT_EQ(ok({"get", file, c.dir, c.code, "--level"}), std::string(c.shownLevel) + "\n") << c.code;
    }
    // The other meter and the other recipes keep their own values.
    EXPECT_EQ(ok({"get", file, "Blend Stream Meter", "301"}), "\n");
    EXPECT_EQ(ok({"get", file, "Recipe 4", "2"}), "\n");
    EXPECT_NE(ok({"info", file}).find("Codes with a value: 9\n"), std::string::npos);
}

TEST_F(Cli, RefusalsPrintOneLineAndLeaveTheFileUnchanged)
{
    const std::string file = newFile("a.mlb");
    ok({"set", file, "5", "131", "12", "--level", "2"});
    const std::string before = read(file);
    struct Case {
        std::vector<std::string> args; // after "set FILE"
        const char* message;
    } cases[] = {
        {{"5", "131", "100"}, "Enter a number between 0 and 99."},
        {{"5", "101", "01/01/26"},
         "You can only read this program code. Use the SD command in Terminal Emulator to set time/date."},
        {{"10", "737", "13:30P"},
         "Must be valid time string of form HH:MMT where T=A (AM), P (PM) or M (Military)"},
        {{"5", "112", "ABCD"}, "Enter no more than 3 characters."},
        {{"2", "201", "10"}, "Enter a number between 0 and 9."},
        {{"5", "131", "13", "--level", "4"}, "Enter a security level of 1, 2 or 3."},
        {{"5", "194", "1", "--level", "1"}, "This program code has no security level."},
        {{"5", "999", "1"}, "There is no program code 999 in the General Purpose directory."},
        {{"Nowhere", "131", "1"}, "Unknown directory \"Nowhere\": give a number 0-23 or a directory name."},
        {{"5", "131"}, "corvane-cli set: missing arguments. Usage: corvane-cli set FILE.mlb DIR CODE VALUE [--level L]"},
        {{"5", "131", "1", "--bogus"},
         "corvane-cli set: unknown option --bogus. Usage: corvane-cli set FILE.mlb DIR CODE VALUE [--level L]"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"set", file};
        args.insert(args.end(), c.args.begin(), c.args.end());
        CliRun r = run(args);
        EXPECT_EQ(r.exit, 1) << c.message;
        EXPECT_EQ(r.err, std::string(c.message) + "\n");
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(read(file), before) << c.message;
    }
}

TEST_F(Cli, FilesThatDoNotLoad)
{
    const std::string good = newFile("good.mlb");
    const std::string missing = path("missing.mlb");
    const std::string garbage = path("garbage.mlb");
    write(garbage, "not a data file");

    CliRun r = run({"get", missing, "5", "131"});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.err.rfind("Failed to open document. " + missing, 0), 0u) << r.err;
    EXPECT_EQ(Lines(r.err).size(), 1u);

    r = run({"set", garbage, "5", "131", "1"});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.err, "Unexpected file format. " + garbage + "\n");
    EXPECT_EQ(read(garbage), "not a data file");

    EXPECT_EQ(run({"diff", good, garbage}).exit, 2);
    EXPECT_EQ(run({"diff", missing, good}).exit, 2);
    EXPECT_EQ(run({"diff", good}).exit, 2);
}

TEST_F(Cli, ExportThenImportIntoANewFileGivesTheSameValues)
{
    const std::string a = newFile("a.mlb");
    const std::vector<std::vector<std::string>> edits = {
        {"5", "131", "12", "--level", "2"},
        {"5", "121", " Say \"hi\", ok"},     // blanks, quotes and a comma in a text
        {"4", "402", "1.234"},               // shows as 01.23; the stored number is kept
        {"2", "201", "Remote Start", "--level", "3"},
        {"9", "611", "bits:0,3"},
        {"10", "721", "10.1.2.3"},
        {"10", "737", "11:15a"},
        {"Wild Stream Meter", "301", "1.0025"},
        {"Recipe 12", "2", "Unleaded"},
    };
    for (const auto& e : edits) {
        std::vector<std::string> args{"set", a};
        args.insert(args.end(), e.begin(), e.end());
        ok(args);
    }
    for (const char* format : {"json", "csv"}) {
        SCOPED_TRACE(format);
        const std::string text = ok({"export", a, "--format", format});
        // One record per line: JSON adds the brackets, CSV its header row.
        EXPECT_EQ(Lines(text).size(), edits.size() + (std::string(format) == "json" ? 2 : 1));
        EXPECT_NE(text.find("1.234"), std::string::npos);
        const std::string textFile = path(std::string("values.") + format);
        write(textFile, text);

        const std::string b = newFile(std::string("b-") + format + ".mlb");
        EXPECT_EQ(ok({"import", b, textFile}), "9 record(s) read, 9 code(s) changed.\n");
        CliRun diff = run({"diff", a, b});
        EXPECT_EQ(diff.exit, 0) << diff.out << diff.err;
        EXPECT_EQ(diff.out, "");
        EXPECT_EQ(ok({"export", b, "--format", format}), text);
    }
    EXPECT_EQ(ok({"get", path("b-csv.mlb"), "5", "121"}), " Say \"hi\", ok        \n");
}

TEST_F(Cli, ImportOfUnchangedRecordsKeepsReadOnlyValues)
{
    // A file as read from a controller holds read-only codes too.
    const std::string a = path("device.mlb");
    {
        auto doc = std::make_unique<CCorvaneDoc>();
        ASSERT_TRUE(doc->setValue(*doc->chain().find(5, 101), "12/11/26", 1));
        ASSERT_TRUE(doc->setValue(*doc->chain().find(5, 131), "7", 1));
        ASSERT_TRUE(SaveDataFile(*doc, a).ok());
    }
    const std::string before = read(a);
    const std::string textFile = path("values.json");
    write(textFile, ok({"export", a}));

    EXPECT_EQ(ok({"import", a, textFile}), "2 record(s) read, 0 code(s) changed.\n");
    EXPECT_EQ(read(a), before);

    // Into a new file the read-only value would be an edit: refused, nothing written.
    const std::string b = newFile("b.mlb");
    const std::string empty = read(b);
    CliRun r = run({"import", b, textFile});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.err, "line 2: You can only read this program code. Use the SD command in Terminal Emulator to set "
                     "time/date.\n");
    EXPECT_EQ(read(b), empty);
}

TEST_F(Cli, ImportAppliesAllOrNothingAndNamesTheFirstBadLine)
{
    const std::string file = newFile("a.mlb");
    ok({"set", file, "5", "131", "5"});
    const std::string before = read(file);
    const std::string header = "directory,directoryName,code,description,value,level\n";
    struct Case {
        const char* name;
        std::string text;
        const char* error;
    } cases[] = {
        {"csv", header + "5,General Purpose,131,x,12,\n5,General Purpose,131,x,100,\n",
         "line 3: Enter a number between 0 and 99."},
        {"csv with a field over two lines",
         header + "5,General Purpose,112,x,\"A\nB\",1\n9,Alarms,611,x,5,\n2,,201,x,11,\n",
         "line 5: Enter a number between 0 and 9."},
        {"csv without header", "5,General Purpose,131,x,12,\n10,,737,x,25:00M,\n",
         "line 2: Must be valid time string of form HH:MMT where T=A (AM), P (PM) or M (Military)"},
        {"json", "[\n{\"directory\": 5, \"code\": 131, \"value\": \"12\"},\n{\"directory\": 5, \"code\": 131, \"value\": "
                 "\"100\"}\n]\n",
         "line 3: Enter a number between 0 and 99."},
        {"json by directory name", "[\n{\"directoryName\": \"Alarms\", \"code\": 611, \"value\": \"bits:16\"}\n]\n",
         "line 2: Alarm bits run from 0 to 15."},
        {"json level", "[\n{\"directory\": 5, \"code\": 131, \"value\": \"12\", \"level\": 7}\n]\n",
         "line 2: Enter a security level of 1, 2 or 3."},
        {"json unknown code", "[\n{\"directory\": 5, \"code\": 131, \"value\": \"12\"},\n\n{\"directory\": 9, "
                              "\"code\": 999, \"value\": \"1\"}\n]\n",
         "line 4: There is no program code 999 in the Alarms directory."},
        {"json broken", "[\n{\"directory\": 5, \"code\": 131, \"value\": \"12\"}\n{\"directory\": 5}\n]\n",
         "line 3: expected \",\" or \"]\" after a record"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string textFile = path("values.txt");
        write(textFile, c.text);
        CliRun r = run({"import", file, textFile});
        EXPECT_EQ(r.exit, 1);
        EXPECT_EQ(r.err, std::string(c.error) + "\n");
        EXPECT_EQ(read(file), before);
    }
}

TEST_F(Cli, DiffPrintsOneLinePerDifferingCode)
{
    const std::string a = newFile("a.mlb");
    const std::string b = newFile("b.mlb");
    for (const std::string& f : {a, b})
        ok({"set", f, "Recipe 3", "1", "1", "--level", "2"});
    ok({"set", a, "5", "131", "12"});
    ok({"set", b, "5", "131", "13"});
    ok({"set", b, "9", "611", "5", "--level", "1"});
    ok({"set", b, "Recipe 3", "1", "1", "--level", "3"}); // level only
    ok({"set", a, "5", "112", "AB"});
    ok({"set", b, "5", "112", "AB "}); // differs only in a trailing blank

    EXPECT_EQ(run({"diff", a, a}).exit, 0);
    CliRun r = run({"diff", a, b});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.out, "5 General Purpose | 112 Flow Rate Descriptor | A: \"AB\", level N/A | B: \"AB \", level N/A\n"
                     "5 General Purpose | 131 Dynamic Display Timeout | A: 12, level N/A | B: 13, level N/A\n"
                     "9 Alarms | 611 Communications Alarm | A: (no value), level N/A | B: 005, level 1\n"
                     "14 Recipe 3 | 001 Recipe Used | A: 1 Yes, level 2 | B: 1 Yes, level 3\n");
}

TEST_F(Cli, ListPrintsTheListingLines)
{
    const std::string file = newFile("a.mlb");
    ok({"set", file, "9", "611", "5", "--level", "3"});
    ok({"set", file, "9", "612", "6", "--level", "1"});
    const std::string line611 = "611 Communications Alarm" + std::string(16, ' ') + " 005" + std::string(29, ' ');
    EXPECT_EQ(ok({"list", file, "--dir", "alarms", "--levels", "--min-level", "2"}),
              "Alarms Directory\n\n" + line611 + "    3\n\n\n");

    std::vector<std::string> titles;
    for (const std::string& line : Lines(ok({"list", file, "--dir", "Configuration"})))
        if (line.find(" Directory") != std::string::npos)
            titles.push_back(line);
    EXPECT_EQ(titles, (std::vector<std::string>{"Pulse Outputs Directory", "Digital Inputs Directory",
                                                "Digital Outputs Directory", "Analog Inputs Directory"}));
    EXPECT_EQ(Lines(ok({"list", file})).size(), Lines(ok({"list", file, "--levels"})).size());

    CliRun bad = run({"list", file, "--min-level", "3"});
    EXPECT_EQ(bad.exit, 1);
    EXPECT_EQ(Lines(bad.err).size(), 1u);
}

} // namespace
} // namespace corvane
