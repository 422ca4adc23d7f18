// The configuration window's splitter: the directory tree, the parameter list
// and how they follow each other.

#include "splitterfixture.h"

#include "common/settings.h"
#include "configdoc/corvanedoc.h"
#include "device/connection.h"
#include "dictionary/dbparam.h"
#include "support/fakeinteraction.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>

namespace corvane::app {
namespace {

using corvane::testing::FakeInteraction;

class ConfigViews : public SplitterFixture {
protected:
    CDirectoryTreeView& tree() { return *splitter->tree(); }

    void choose(int directory) { tree().selectDirectory(directory); }

    QStringList column(int c)
    {
        QStringList texts;
        for (int r = 0; r < list().rowCount(); ++r)
            texts << list().cellText(r, c);
        return texts;
    }
    int rowOf(int number)
    {
        for (int r = 0; r < list().rowCount(); ++r)
            if (list().model()->param(r)->codeNumber() == number)
                return r;
        return -1;
    }
};

TEST_F(ConfigViews, TreeItemsExpansionAndFirstSelection)
{
    QStringList top;
    for (int i = 0; i < tree().topLevelItemCount(); ++i)
        top << tree().topLevelItem(i)->text(0);
    EXPECT_EQ(top, (QStringList{"Configuration", "General Purpose", "Blend Control", "Blend Stream Meter",
                                "Wild Stream Meter", "Alarms", "Communications", "Recipe"}));
    QTreeWidgetItem* configuration = tree().topLevelItem(0);
    EXPECT_TRUE(configuration->isExpanded());
    ASSERT_EQ(configuration->childCount(), 4);
    EXPECT_EQ(configuration->child(3)->text(0), "Analog Inputs");
    QTreeWidgetItem* recipe = tree().topLevelItem(7);
    EXPECT_FALSE(recipe->isExpanded());
    ASSERT_EQ(recipe->childCount(), 12);
    EXPECT_EQ(recipe->child(11)->text(0), "Recipe 12");
    EXPECT_EQ(recipe->child(11)->data(0, Qt::UserRole).toInt(), 23);

    ASSERT_EQ(tree().selectedItems().size(), 1);
    EXPECT_EQ(tree().selectedItems().front()->text(0), "Pulse Outputs");
    EXPECT_EQ(doc.currentDirectory(), 1);
    EXPECT_EQ(list().rowCount(), 5);
    EXPECT_EQ(list().currentRow(), 0);

    // Every item carries one of the drawn images.
    for (QTreeWidgetItemIterator it(&tree()); *it; ++it)
        EXPECT_FALSE((*it)->icon(0).isNull()) << (*it)->text(0).toStdString();
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(TreeImage(i).pixmap(16, 16).size(), QSize(16, 16)) << i;
}

TEST_F(ConfigViews, WalkingTheTreeFillsTheList)
{
    const std::pair<int, int> rowsByDirectory[] = {
        {0, 0}, {1, 5}, {2, 3}, {3, 6}, {4, 5}, {5, 33}, {6, 17}, {7, 66},
        {8, 50}, {9, 39}, {10, 29}, {11, 0}, {12, 4}, {16, 4}, {23, 4},
    };
    for (auto [directory, rows] : rowsByDirectory) {
        choose(directory);
        EXPECT_EQ(doc.currentDirectory(), directory);
        EXPECT_EQ(list().rowCount(), rows) << "directory " << directory;
        EXPECT_EQ(list().currentRow(), rows ? 0 : -1) << "directory " << directory;
    }
    // A click on an item does the same as choosing it.
    QTreeWidgetItem* alarms = tree().itemOfDirectory(9);
    QTest::mouseClick(tree().viewport(), Qt::LeftButton, {}, tree().visualItemRect(alarms).center());
    EXPECT_EQ(doc.currentDirectory(), 9);
    EXPECT_EQ(list().rowCount(), 39);
}

TEST_F(ConfigViews, MeterDirectoriesRows)
{
    ASSERT_TRUE(doc.setValue(*doc.chain().find(7, 301), "12.5", 2));
    ASSERT_TRUE(doc.setValue(*doc.chain().find(8, 301), "7", 1));

    choose(7);
    EXPECT_EQ(rowOf(304), -1); // wild stream only
    const int blendK = rowOf(301);
    ASSERT_GE(blendK, 0);
    EXPECT_EQ(list().cellText(blendK, 0), "301 K Factor");
    EXPECT_EQ(list().cellText(blendK, 1), "0012.500");
    const int flowTolerance = rowOf(201);
    ASSERT_GE(flowTolerance, 0);
    EXPECT_EQ(list().cellText(flowTolerance, 1), ""); // no value yet
    EXPECT_EQ(list().cellText(flowTolerance, 2), "Blend Stream Only");
    EXPECT_FALSE(column(0).join('\n').contains('{'));

    choose(8);
    EXPECT_EQ(rowOf(201), -1); // blend stream only
    EXPECT_EQ(list().cellText(rowOf(301), 1), "0007.000");
    const int wildOnly = rowOf(304);
    ASSERT_GE(wildOnly, 0);
    EXPECT_EQ(list().cellText(wildOnly, 2), "Wild Stream Only");
    EXPECT_FALSE(column(2).contains("Blend Stream Only"));
}

TEST_F(ConfigViews, ColumnsAndTheSecurityLevelColumn)
{
    auto header = [&] { return list().detailsView()->header(); };
    auto titles = [&] {
        QStringList t;
        for (int c = 0; c < list().model()->columnCount(); ++c)
            t << list().model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        return t;
    };
    EXPECT_EQ(titles(), (QStringList{"ID  Description", "Value", "Comments"}));
    EXPECT_EQ(list().columnWidth(0), 180);
    EXPECT_EQ(list().columnWidth(1), 180);
    EXPECT_EQ(list().columnWidth(2), 100);
    EXPECT_EQ(list().detailsView()->selectionBehavior(), QAbstractItemView::SelectRows);

    choose(10);
    ASSERT_TRUE(doc.setValue(*doc.chain().find(10, 705), "30", 2));
    header()->resizeSection(1, 222); // a width the person chose survives refills
    settings.setValue(settings::ViewShowSecLvl, 1);
    EXPECT_FALSE(list().showsSecurityLevel()); // only a refresh reads the setting
    splitter->refresh();
    EXPECT_EQ(titles().back(), "Sec. Lvl");
    EXPECT_EQ(list().columnWidth(3), 120);
    EXPECT_EQ(list().columnWidth(1), 222);
    const int timeout = rowOf(705);
    EXPECT_EQ(list().cellText(timeout, 3), "2");
    EXPECT_EQ(list().cellText(timeout, 1), "030");
    EXPECT_EQ(list().cellText(rowOf(706), 3), "N/A");

    settings.setValue(settings::ViewShowSecLvl, 0);
    splitter->refresh();
    EXPECT_EQ(titles().size(), 3);
}

TEST_F(ConfigViews, RecipeRowMemory)
{
    choose(13); // Recipe 2
    list().setCurrentRow(3);
    choose(18); // Recipe 7
    EXPECT_EQ(list().currentRow(), 3);
    EXPECT_EQ(list().model()->param(3)->directory(), 18);
    choose(9); // Alarms
    EXPECT_EQ(list().currentRow(), 0);

    // Coming from a longer directory, a row the recipe does not have falls back to 0.
    list().setCurrentRow(20);
    choose(14);
    EXPECT_EQ(list().currentRow(), 0);
}

TEST_F(ConfigViews, TabMovesBetweenPanes)
{
    splitter->activateWindow();
    tree().setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return tree().hasFocus(); }));
    QTest::keyClick(&tree(), Qt::Key_Tab);
    EXPECT_TRUE(list().detailsView()->hasFocus());
    QTest::keyClick(list().detailsView(), Qt::Key_Tab);
    EXPECT_TRUE(tree().hasFocus());
    QTest::keyClick(&tree(), Qt::Key_Backtab);
    EXPECT_TRUE(list().detailsView()->hasFocus());

    splitter->setListViewMode(ListViewMode::List);
    QTest::keyClick(list().iconView(), Qt::Key_Tab);
    EXPECT_TRUE(tree().hasFocus());
    QTest::keyClick(&tree(), Qt::Key_Tab);
    EXPECT_TRUE(list().iconView()->hasFocus());
}

TEST_F(ConfigViews, ViewModesShareRowsAndSelection)
{
    choose(5);
    list().setCurrentRow(4);
    const struct {
        ListViewMode mode;
        QListView::ViewMode listMode;
    } modes[] = {
        {ListViewMode::LargeIcons, QListView::IconMode},
        {ListViewMode::SmallIcons, QListView::ListMode},
        {ListViewMode::List, QListView::ListMode},
    };
    for (const auto& m : modes) {
        splitter->setListViewMode(m.mode);
        EXPECT_EQ(list().activeView(), list().iconView());
        EXPECT_EQ(list().iconView()->viewMode(), m.listMode);
        EXPECT_EQ(list().iconView()->model()->rowCount(), 33);
        EXPECT_EQ(list().iconView()->currentIndex().row(), 4);
        splitter->arrange();
        EXPECT_EQ(list().iconView()->viewMode(), m.listMode);
    }
    EXPECT_EQ(list().iconView()->flow(), QListView::TopToBottom); // list mode fills columns
    // Large icons are laid out again on their grid by arrange.
    splitter->setListViewMode(ListViewMode::LargeIcons);
    const QRect first = list().iconView()->visualRect(list().model()->index(1, 0));
    splitter->arrange();
    EXPECT_EQ(list().iconView()->visualRect(list().model()->index(1, 0)), first);

    splitter->setListViewMode(ListViewMode::Details);
    EXPECT_EQ(list().activeView(), list().detailsView());
    choose(6);
    EXPECT_EQ(list().rowCount(), 17);
}

TEST(Screenshots, ConfigSplitter)
{
    QTemporaryDir dir;
    Settings settings{dir.filePath(QStringLiteral("corvane.ini")).toStdString()};
    settings.setValue(settings::ViewShowSecLvl, 1);
    FakeInteraction ui;
    ControllerLink link{settings, ui};
    CCorvaneDoc doc;
    for (const auto& [number, value] : {std::pair{705, "30"}, {706, "1"}, {721, "3232235777"}, {727, "1"}})
        doc.setValue(*doc.chain().find(10, number), value, 2);
    CConfigSplitter splitter(doc, link, settings, ui);
    splitter.resize(900, 520);
    splitter.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&splitter));
    splitter.tree()->selectDirectory(10);
    QDir().mkpath(QStringLiteral(CORVANE_BUILD_DIR "/screenshots"));
    EXPECT_TRUE(splitter.grab().save(QStringLiteral(CORVANE_BUILD_DIR "/screenshots/config-splitter.png")));
    splitter.setListViewMode(ListViewMode::LargeIcons);
    EXPECT_TRUE(splitter.grab().save(QStringLiteral(CORVANE_BUILD_DIR "/screenshots/config-splitter-icons.png")));
}

} // namespace
} // namespace corvane::app
