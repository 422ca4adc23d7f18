// The value editors, driven from the parameter list as a person would:
// double click or Enter, fill the dialog, OK.

#include "splitterfixture.h"
#include "configdoc/editprogramcode.h"
#include "configdoc/parameditdialogs.h"

#include "common/settings.h"
#include "configdoc/corvanedoc.h"
#include "device/connection.h"
#include "dictionary/dbparam.h"
#include "support/fakeinteraction.h"
#include "support/simprocess.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace corvane::app {
namespace {

using corvane::testing::FakeInteraction;
using corvane::testing::SimProcess;

// Runs `act` on the next modal editor once it is up; gives up after two
// seconds. The timer goes with `owner`, so that no wait outlives its test.
void OnEditor(QObject& owner, std::function<void(CGenParamEdit&)> act)
{
    auto* timer = new QTimer(&owner);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, act] {
        auto* editor = qobject_cast<CGenParamEdit*>(QApplication::activeModalWidget());
        if (!editor && ++*tries < 200)
            return;
        timer->stop();
        timer->deleteLater();
        if (editor)
            act(*editor);
    });
    timer->start(10);
}

// A double click as the window system delivers it: press, release, double click, release.
void DoubleClick(QWidget* widget, QPoint at)
{
    QTest::mousePress(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

void Press(QDialog& dialog, QDialogButtonBox::StandardButton which)
{
    dialog.findChild<QDialogButtonBox*>()->button(which)->click();
}

class Editors : public SplitterFixture {
protected:
    bool editorShown = false;
    QObject waits; // owns the editor waits of one test

    DBParam& code(int directory, int number) { return *doc.chain().find(directory, number); }

    int rowOf(int number)
    {
        for (int r = 0; r < list().rowCount(); ++r)
            if (list().model()->param(r)->codeNumber() == number)
                return r;
        return -1;
    }
    // Selects a code's row and presses Enter; `act` runs inside its editor.
    void enterOn(int directory, int number, std::function<void(CGenParamEdit&)> act)
    {
        splitter->tree()->selectDirectory(directory);
        const int row = rowOf(number);
        ASSERT_GE(row, 0);
        list().setCurrentRow(row);
        editorShown = false;
        OnEditor(waits, [this, act](CGenParamEdit& e) {
            editorShown = true;
            act(e);
        });
        QTest::keyClick(list().detailsView(), Qt::Key_Return);
    }
    QString value(int number) { return list().cellText(rowOf(number), 1); }
    QStringList shownTexts() const
    {
        QStringList texts;
        for (const auto& m : ui.messages)
            texts << QString::fromStdString(m.text);
        return texts;
    }
};

TEST_F(Editors, GeneralEditorControlsAndAValidValue)
{
    doc.setValue(code(10, 705), "10", 1);
    int helpTopic = 0;
    SetEditorHelpHandler([&](QWidget*, int topic) { helpTopic = topic; });
    enterOn(10, 705, [&](CGenParamEdit& e) {
        EXPECT_EQ(e.kind(), EditorKind::General);
        EXPECT_EQ(e.windowTitle(), "Corvane Parameter Edit");
        QStringList labels;
        for (const QLabel* l : e.findChildren<QLabel*>())
            labels << l->text();
        for (const char* text : {"Select Security Level", "Enter New Value:", "Valid Range:", "Current Value:"})
            EXPECT_TRUE(labels.contains(text)) << text;
        EXPECT_EQ(e.descriptionLabel()->text(), "705 Comm 1 Timeout");
        EXPECT_EQ(e.currentValueField()->text(), "010");
        EXPECT_EQ(e.hintLabel()->text(), "(0 - 999)");
        EXPECT_FALSE(e.helpTextLabel()->text().isEmpty());
        QStringList levels;
        for (int i = 0; i < e.levelCombo()->count(); ++i)
            levels << e.levelCombo()->itemText(i);
        EXPECT_EQ(levels, (QStringList{"Level 1", "Level 2", "Level 3"}));
        EXPECT_EQ(e.levelCombo()->currentIndex(), 0);
        EXPECT_TRUE(e.levelCombo()->isEnabled());
        Press(e, QDialogButtonBox::Help);
        EXPECT_EQ(helpTopic, code(10, 705).HelpContextId());

        e.newValueField()->setText("30");
        e.levelCombo()->setCurrentIndex(2);
        Press(e, QDialogButtonBox::Ok);
    });
    SetEditorHelpHandler(nullptr);
    EXPECT_TRUE(editorShown);
    EXPECT_EQ(value(705), "030");
    EXPECT_EQ(doc.securityLevel(code(10, 705)), 3);
    EXPECT_TRUE(doc.isModified());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Editors, RefusedValueKeepsTheDialogOpen)
{
    bool stillOpen = false;
    enterOn(5, 131, [&](CGenParamEdit& e) { // uint8, 0..99
        e.newValueField()->setText("100");
        Press(e, QDialogButtonBox::Ok);
        stillOpen = e.isVisible();
        e.newValueField()->setText("12.7");
        Press(e, QDialogButtonBox::Ok);
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(shownTexts(), QStringList{"Enter a number between 0 and 99."});
    EXPECT_EQ(value(131), "12");
}

TEST_F(Editors, CancelChangesNothing)
{
    enterOn(10, 705, [&](CGenParamEdit& e) {
        e.newValueField()->setText("30");
        Press(e, QDialogButtonBox::Cancel);
    });
    EXPECT_TRUE(editorShown);
    EXPECT_FALSE(code(10, 705).hasValue());
    EXPECT_EQ(value(705), "");
    EXPECT_FALSE(doc.isModified());
}

TEST_F(Editors, ListEditorOffersNumberedOptions)
{
    enterOn(2, 201, [&](CGenParamEdit& e) {
        auto& list = static_cast<CListParamEdit&>(e);
        ASSERT_EQ(e.kind(), EditorKind::List);
        EXPECT_EQ(e.newValueField(), nullptr);
        ASSERT_EQ(list.optionList()->count(), 10);
        EXPECT_TRUE(list.optionList()->item(0)->text().startsWith("00 "));
        EXPECT_TRUE(list.optionList()->item(9)->text().startsWith("09 "));
        EXPECT_EQ(list.optionList()->currentRow(), 0); // the stored 0
        Press(e, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(value(201).left(3), "00 ");

    QString fourth;
    enterOn(2, 201, [&](CGenParamEdit& e) {
        auto& list = static_cast<CListParamEdit&>(e);
        list.optionList()->setCurrentRow(3);
        fourth = list.optionList()->item(3)->text().mid(3);
        Press(e, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(value(201), "03 " + fourth);
    EXPECT_EQ(doc.valueText(code(2, 201)), "03");
}

TEST_F(Editors, IPEditorTakesFourOctets)
{
    doc.setValue(code(10, 721), "3232235777"); // 192.168.1.1
    enterOn(10, 721, [&](CGenParamEdit& e) {
        auto& ip = static_cast<CIPParamEdit&>(e);
        ASSERT_EQ(e.kind(), EditorKind::IPAddress);
        EXPECT_EQ(e.currentValueField()->text(), "3232235777");
        EXPECT_EQ(ip.address(), 0xC0A80101u);
        EXPECT_EQ(ip.octet(0)->value(), 192);
        ip.octet(0)->setValue(127);
        ip.octet(1)->setValue(0);
        ip.octet(2)->setValue(0);
        ip.octet(3)->setValue(1);
        Press(e, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(value(721), "2130706433");
}

TEST_F(Editors, AlarmEditorCheckBoxesAreTheBits)
{
    doc.setValue(code(9, 611), "5");
    enterOn(9, 611, [&](CGenParamEdit& e) {
        auto& alarm = static_cast<CAlarmParamEdit&>(e);
        ASSERT_EQ(e.kind(), EditorKind::Alarm);
        const std::array<bool, 4> ticked = {true, false, true, false};
        const char* texts[] = {"Allow clearing without passcode entry", "Energize Alarm Relay 1",
                               "Energize  Alarm Relay 2", "Stop Flow"};
        for (int bit = 0; bit < 4; ++bit) {
            EXPECT_EQ(alarm.checkBox(bit)->text(), texts[bit]);
            EXPECT_EQ(alarm.checkBox(bit)->isChecked(), ticked[static_cast<std::size_t>(bit)]) << bit;
            alarm.checkBox(bit)->setChecked(bit == 3);
        }
        Press(e, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(value(611), "008");
}

TEST_F(Editors, ReadOnlyCodeOpensNoEditor)
{
    splitter->tree()->selectDirectory(5);
    const int row = rowOf(101);
    ASSERT_GE(row, 0);
    bool opened = false;
    OnEditor(waits, [&](CGenParamEdit& e) {
        opened = true;
        e.reject();
    });
    QTreeView* view = list().detailsView();
    const QRect cell = view->visualRect(list().model()->index(row, 0));
    DoubleClick(view->viewport(), cell.center());
    QTest::qWait(50);
    EXPECT_FALSE(opened);
    EXPECT_EQ(shownTexts(), QStringList{"You can only read this program code.\nUse the SD command in Terminal "
                                        "Emulator to set time/date."});
    EXPECT_FALSE(code(5, 101).hasValue());
    EXPECT_FALSE(doc.isModified());
}

TEST_F(Editors, DoubleClickEditsAndCodesWithoutLevelDisableTheCombo)
{
    splitter->tree()->selectDirectory(5);
    const int row = rowOf(194);
    ASSERT_GE(row, 0);
    bool comboEnabled = true;
    OnEditor(waits, [&](CGenParamEdit& e) {
        comboEnabled = e.levelCombo()->isEnabled();
        e.newValueField()->setText("2");
        Press(e, QDialogButtonBox::Ok);
    });
    QTreeView* view = list().detailsView();
    view->scrollTo(list().model()->index(row, 1));
    DoubleClick(view->viewport(), view->visualRect(list().model()->index(row, 1)).center());
    EXPECT_FALSE(comboEnabled);
    EXPECT_EQ(value(194), "2");
}

TEST_F(Editors, TextCodesUseTheCharacterSetFont)
{
    settings.setValue(settings::ViewTextCharSet, 1);
    doc.setValue(code(5, 112), "\x80\xa0"); // "Аа" in DOS 866
    splitter->refresh();
    enterOn(5, 112, [&](CGenParamEdit& e) {
        EXPECT_EQ(e.currentValueField()->font().family(), "HVD 866 Bold (DOS Cyrillic)");
        EXPECT_EQ(e.newValueField()->font().family(), "HVD 866 Bold (DOS Cyrillic)");
        EXPECT_EQ(e.currentValueField()->text(), QString::fromUtf8("Аа "));
        e.newValueField()->setText(QString::fromUtf8("Бб"));
        Press(e, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(doc.valueText(code(5, 112)).substr(0, 2), "\x81\xa1");
    EXPECT_EQ(value(112).trimmed(), QString::fromUtf8("Бб"));
    EXPECT_EQ(list().model()->data(list().model()->index(rowOf(112), 1), Qt::FontRole).value<QFont>().family(),
              "HVD 866 Bold (DOS Cyrillic)");
}

TEST_F(Editors, OnlineEditSendsPcAndXcToTheController)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--tcp", "0"})) << sim.error();
    link.tcpConnectTimeoutMs = 2000;
    link.overrides.tcpPort = sim.tcpPort();
    doc.commPort = 0;
    doc.controllerAddress = 0x7F000001;
    ASSERT_EQ(link.Contact(doc, false), ProgramAccess);
    sim.clearRequests();

    enterOn(10, 705, [&](CGenParamEdit& e) {
        e.newValueField()->setText("30");
        e.levelCombo()->setCurrentIndex(1);
        Press(e, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(sim.requests(), (std::vector<std::string>{"PC SY 705 30", "XC SY 705 2"}));
    EXPECT_EQ(value(705), "030");
    EXPECT_EQ(doc.securityLevel(code(10, 705)), 2);

    // The same level again: the value only.
    sim.clearRequests();
    enterOn(10, 705, [&](CGenParamEdit& e) {
        EXPECT_EQ(e.levelCombo()->currentIndex(), 1);
        e.newValueField()->setText("45");
        Press(e, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(sim.requests(), (std::vector<std::string>{"PC SY 705 45"}));
    EXPECT_EQ(value(705), "045");
}

TEST_F(Editors, RejectedOnlineEditLeavesTheRowAlone)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--tcp", "0", "--reject", "SY:705"})) << sim.error();
    link.overrides.tcpPort = sim.tcpPort();
    doc.commPort = 0;
    doc.controllerAddress = 0x7F000001;
    ASSERT_EQ(link.Contact(doc, false), ProgramAccess);
    ui.messages.clear();

    enterOn(10, 705, [&](CGenParamEdit& e) {
        e.newValueField()->setText("30");
        Press(e, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(shownTexts(), QStringList{"Command Rejected -  - Program Code Not Used"});
    EXPECT_EQ(value(705), "");
    EXPECT_FALSE(code(10, 705).hasValue());
    EXPECT_FALSE(doc.isModified());
}

TEST(Screenshots, ParamEditors)
{
    CCorvaneDoc doc;
    FakeInteraction ui;
    doc.setValue(*doc.chain().find(10, 705), "30", 2);
    doc.setValue(*doc.chain().find(2, 201), "3", 1);
    doc.setValue(*doc.chain().find(10, 721), "3232235777", 3);
    doc.setValue(*doc.chain().find(9, 611), "5", 2);
    QDir().mkpath(QStringLiteral(CORVANE_BUILD_DIR "/screenshots"));
    const std::pair<int, int> codes[] = {{10, 705}, {2, 201}, {10, 721}, {9, 611}};
    const char* names[] = {"edit-general", "edit-list", "edit-ip", "edit-alarm"};
    for (std::size_t i = 0; i < std::size(codes); ++i) {
        const DBParam& p = *doc.chain().find(codes[i].first, codes[i].second);
        auto editor = MakeParamEditor(p, PrepareEditor(doc, p), 0, ui);
        editor->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(editor.get()));
        EXPECT_TRUE(editor->grab().save(QStringLiteral(CORVANE_BUILD_DIR "/screenshots/%1.png").arg(names[i])));
    }
}

} // namespace
} // namespace corvane::app
