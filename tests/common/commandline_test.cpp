#include "common/commandline.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using Action = CommandLine::Action;

struct ParseCase {
    std::vector<std::string> args;
    Action action;
    std::string file;
    std::string printer;
    std::string settings;
};

TEST(CommandLine, UnderstoodForms)
{
    const ParseCase cases[] = {
        {{}, Action::New, "", "", ""},
        {{"site.mlb"}, Action::Open, "site.mlb", "", ""},
        {{"--settings", "t.ini", "site.mlb"}, Action::Open, "site.mlb", "", "t.ini"},
        {{"site.mlb", "--settings", "t.ini"}, Action::Open, "site.mlb", "", "t.ini"},
        {{"--print", "a b.mlb"}, Action::Print, "a b.mlb", "", ""},
        {{"--print-to", "a.mlb", "Office Laser"}, Action::PrintTo, "a.mlb", "Office Laser", ""},
        {{"--settings", "x.ini", "--help", "--bogus"}, Action::Help, "", "", "x.ini"},
    };
    for (const ParseCase& c : cases) {
        std::string joined;
        for (const auto& a : c.args)
            joined += a + " ";
        SCOPED_TRACE(joined);
        CommandLineResult r = ParseCommandLine(c.args);
        ASSERT_TRUE(r.ok()) << r.error;
        EXPECT_EQ(r.commandLine.action, c.action);
        EXPECT_EQ(r.commandLine.file, c.file);
        EXPECT_EQ(r.commandLine.printer, c.printer);
        EXPECT_EQ(r.commandLine.settingsFile, c.settings);
    }
}

TEST(CommandLine, NewTcpTakesAnAddressAndOptionallyAFile)
{
    CommandLineResult r = ParseCommandLine({"--new-tcp", "127.0.0.1", "--save-as", "demo.mlb"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.commandLine.action, Action::NewTcp);
    EXPECT_EQ(r.commandLine.tcpAddress, 0x7F000001u);
    EXPECT_EQ(r.commandLine.saveAs, "demo.mlb");
    EXPECT_FALSE(r.commandLine.printOnly());
    EXPECT_TRUE(ParseCommandLine({"--print", "a.mlb"}).commandLine.printOnly());
}

TEST(CommandLine, RefusesWhatItCannotDo)
{
    const std::vector<std::vector<std::string>> bad = {
        {"a.mlb", "b.mlb"},           // two files
        {"--print"},                  // no file
        {"--print-to", "a.mlb"},      // no printer
        {"--print", "a.mlb", "b.mlb"}, // print and open
        {"--settings"},
        {"--new-tcp", "not.an.address"},
        {"--save-as", "x.mlb"}, // without --new-tcp
        {"--frobnicate"},
    };
    for (const auto& args : bad)
        EXPECT_FALSE(ParseCommandLine(args).ok()) << args.front();
}

TEST(InstanceRequest, CommandLinesBecomeRequestsWithAbsolutePaths)
{
    auto open = RequestFor(ParseCommandLine({"sub/../site.mlb"}).commandLine, "/home/op");
    ASSERT_TRUE(open);
    EXPECT_EQ(open->kind, InstanceRequest::Kind::Open);
    EXPECT_EQ(open->file, "/home/op/site.mlb");

    auto none = RequestFor(ParseCommandLine({}).commandLine, "/home/op");
    ASSERT_TRUE(none);
    EXPECT_EQ(none->file, ""); // a new configuration document

    auto printTo = RequestFor(ParseCommandLine({"--print-to", "/srv/a.mlb", "Laser"}).commandLine, "/x");
    ASSERT_TRUE(printTo);
    EXPECT_EQ(*printTo, (InstanceRequest{InstanceRequest::Kind::PrintTo, "/srv/a.mlb", "Laser"}));

    EXPECT_FALSE(RequestFor(ParseCommandLine({"--new-tcp", "10.0.0.1"}).commandLine, "/x"));
}

TEST(InstanceRequest, SurvivesTheWireWhateverTheNameHolds)
{
    const std::vector<InstanceRequest> requests = {
        {InstanceRequest::Kind::Open, "", ""},
        {InstanceRequest::Kind::Open, "/tmp/odd\tname\\with\nbreaks.mlb", ""},
        {InstanceRequest::Kind::Print, "/tmp/Ä site.mlb", ""},
        {InstanceRequest::Kind::PrintTo, "/tmp/a.mlb", "HP\tLaser\\2"},
    };
    for (const InstanceRequest& r : requests) {
        const std::string line = EncodeInstanceRequest(r);
        ASSERT_EQ(line.find('\n'), line.size() - 1) << "one line only";
        auto back = DecodeInstanceRequest(line);
        ASSERT_TRUE(back) << line;
        EXPECT_EQ(*back, r);
    }
    EXPECT_EQ(EncodeInstanceRequest({InstanceRequest::Kind::Open, "/a.mlb", ""}), "open\t/a.mlb\n");
}

TEST(InstanceRequest, GarbageIsRefused)
{
    for (const char* line : {"", "open", "close\t/a.mlb\n", "print\t\n", "printto\t/a.mlb\n",
                             "open\t/a\\q.mlb\n", "open\t/a.mlb\textra\n", "open\t/a\\"})
        EXPECT_FALSE(DecodeInstanceRequest(line)) << line;
}

TEST(InstanceRequest, ServerNameIsPerUserAndPerPrivateStore)
{
    const std::string user = InstanceServerName("");
    EXPECT_EQ(user.rfind("Corvane.net-", 0), 0u);
    EXPECT_NE(InstanceServerName("/tmp/a.ini"), user);
    EXPECT_NE(InstanceServerName("/tmp/a.ini"), InstanceServerName("/tmp/b.ini"));
    EXPECT_EQ(InstanceServerName("/tmp/a.ini"), InstanceServerName("/tmp/./a.ini"));
}

} // namespace
} // namespace corvane
