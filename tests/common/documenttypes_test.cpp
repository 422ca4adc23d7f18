#include "common/documenttypes.h"
#include "common/helptopics.h"
#include "common/recentfiles.h"
#include "common/settings.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(DocumentTypes, SevenInRegistrationOrderWithOnlyTheConfigurationAvailable)
{
    auto types = DocumentTypes();
    ASSERT_EQ(types.size(), 7u);
    const int ids[] = {4, 6, 7, 8, 9, 11, 12};
    for (std::size_t i = 0; i < types.size(); ++i) {
        EXPECT_EQ(types[i].stringId, ids[i]);
        EXPECT_EQ(types[i].available, types[i].kind == DocumentKind::Configuration);
    }
    const DocumentTypeInfo& config = DocumentType(DocumentKind::Configuration);
    EXPECT_EQ(config.newCommandId, 57600);
    EXPECT_EQ(config.newCommand, "&Pellion.net Data File \tCtrl+N");
    EXPECT_EQ(DocumentType(DocumentKind::Translation).newCommand, "&Translation ");
    EXPECT_EQ(DocumentType(DocumentKind::CardDatabase).newCommand, "");
    EXPECT_EQ(DocumentType(DocumentKind::CardDatabase).newCommandId, 11866);
}

TEST(DocumentTypes, TypeStringFields)
{
    struct Case {
        DocumentKind kind;
        DocTypeField field;
        std::string_view text;
    };
    const Case cases[] = {
        {DocumentKind::Configuration, DocTypeField::WindowTitle, "Corvane"},
        {DocumentKind::Configuration, DocTypeField::DocName, "Pellion.net Config"},
        {DocumentKind::Configuration, DocTypeField::FilterName, "Corvane Files (*.mlb)"},
        {DocumentKind::Configuration, DocTypeField::RegFileTypeName, "Corvane.Document"},
        {DocumentKind::Terminal, DocTypeField::DocName, "Terminal"},
        {DocumentKind::Terminal, DocTypeField::FilterExt, ""},
        {DocumentKind::Report, DocTypeField::FilterExt, ".RPB"},
        {DocumentKind::EquationSet, DocTypeField::DocName, "Prog"},
        {DocumentKind::Translation, DocTypeField::RegFileTypeId, "Corvane.Document.4"},
        {DocumentKind::Display, DocTypeField::RegFileTypeName, "Corvane Display Definition File"},
        {DocumentKind::CardDatabase, DocTypeField::DocName, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DocumentTypeField(DocumentType(c.kind), c.field), c.text) << static_cast<int>(c.field);
}

TEST(DocumentTypes, OpeningGoesByExtensionOfAvailableTypesOnly)
{
    EXPECT_EQ(DocumentKindForFile("/data/Site A.mlb"), DocumentKind::Configuration);
    EXPECT_EQ(DocumentKindForFile("SITE.MLB"), DocumentKind::Configuration);
    EXPECT_FALSE(DocumentKindForFile("report.RPB")); // registered, not built yet
    EXPECT_FALSE(DocumentKindForFile("/dir.mlb/readme"));
    EXPECT_FALSE(DocumentKindForFile("mlb"));
    EXPECT_EQ(OpenFileFilter(), "Corvane Files (*.mlb)|*.mlb|All Files (*.*)|*.*||");
}

TEST(DocumentTypes, SelectionRows)
{
    EXPECT_EQ(ConfigurationDocumentRow("Site.mlb", 2, 0x105), "Site.mlb     \t\t(Com2,  Address 5)");
    EXPECT_EQ(ConfigurationDocumentRow("A very long title.mlb", 0, 0x7F000001u),
              "A very long  \t\t(TCP/IP,  Address 1)");
}

TEST(HelpTopics, TopicsOpenTheirPages)
{
    struct Case {
        int topic;
        const char* page;
    };
    const Case cases[] = {
        {100, "index.html"},
        {200, "configuration-window.html"},
        {1140, "options-printing.html#general-options"},
        {10001, "value-editors.html#class-configuration"},
        {11121, "value-editors.html#class-system"},
        {12301, "value-editors.html#class-meters"},
        {15002, "value-editors.html#class-recipes"},
        {13000, "value-editors.html"},
        {4242, "index.html"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HelpPage(c.topic), c.page) << c.topic;
    EXPECT_EQ(HelpUrl("/usr/share/corvane/manual", 1140),
              "file:///usr/share/corvane/manual/options-printing.html#general-options");
    EXPECT_EQ(HelpUrl("/m", 100), "file:///m/index.html");
}

class RecentFilesTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string ini = dir.filePath("settings.ini").toStdString();
};

TEST_F(RecentFilesTest, NewestFirstMovedWhenReopenedAtMostEightAndKept)
{
    {
        Settings settings(ini);
        RecentFiles recent(settings);
        for (int i = 1; i <= 9; ++i)
            recent.add("/data/site" + std::to_string(i) + ".mlb");
        recent.add("/data/site5.mlb");
        ASSERT_EQ(recent.files().size(), 8u);
        EXPECT_EQ(recent.files()[0], "/data/site5.mlb");
        EXPECT_EQ(recent.files()[1], "/data/site9.mlb");
        EXPECT_EQ(recent.files()[7], "/data/site2.mlb"); // site1 fell off
        recent.remove("/data/site9.mlb");
        EXPECT_EQ(recent.menuText(1), "&2 site8.mlb");
    }
    Settings again(ini);
    RecentFiles reloaded(again);
    ASSERT_EQ(reloaded.files().size(), 7u);
    EXPECT_EQ(reloaded.files()[0], "/data/site5.mlb");
    EXPECT_EQ(reloaded.files()[6], "/data/site2.mlb");
}

TEST_F(RecentFilesTest, MenuTextKeepsAmpersandsLiteral)
{
    Settings settings(ini);
    RecentFiles recent(settings);
    recent.add("/data/R&D.mlb");
    EXPECT_EQ(recent.menuText(0), "&1 R&&D.mlb");
    EXPECT_EQ(recent.menuText(1), "");
}

} // namespace
} // namespace corvane
