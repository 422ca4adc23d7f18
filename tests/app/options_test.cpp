// "Corvane General Options": its controls and texts, and what OK and Cancel
// leave in the settings store.

#include "configdoc/appoptionsdlg.h"

#include "common/help.h"
#include "common/settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace corvane::app {
namespace {

class AppOptionsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString ini = dir.filePath(QStringLiteral("corvane.ini"));
    std::unique_ptr<Settings> settings = std::make_unique<Settings>(ini.toStdString());

    // What the store holds, read back from the file as another process would.
    QString stored(const IntSetting& key)
    {
        settings->sync();
        QSettings file(ini, QSettings::IniFormat);
        return file.value(QStringLiteral("%1/%2").arg(key.section, key.name)).toString();
    }
    void clickButton(CAppOptionsDlg& dialog, QDialogButtonBox::StandardButton which)
    {
        dialog.findChild<QDialogButtonBox*>()->button(which)->click();
    }
};

QStringList Items(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

TEST_F(AppOptionsTest, ControlsAndTexts)
{
    CAppOptionsDlg dialog(*settings);
    EXPECT_EQ(dialog.windowTitle(), "Corvane General Options");
    EXPECT_EQ(HelpTopicFor(dialog.printSuppressBelowLvl()), 1140); // F1 on any control

    const auto groups = dialog.findChildren<QGroupBox*>();
    ASSERT_EQ(groups.size(), 2);
    EXPECT_EQ(groups[0]->title(), "Display Options");
    EXPECT_EQ(groups[1]->title(), "Printing Options");

    const std::pair<QCheckBox*, const char*> checks[] = {
        {dialog.viewShowSecLvl(), "Display security level in parameter list view"},
        {dialog.viewShowUnused(), "Display unused arms and meters in directory tree"},
        {dialog.printSuppressUnused(), "Suppress printing unused recipes"},
        {dialog.printShowSecLvl(), "Include security level on printout"},
    };
    for (auto [box, text] : checks) {
        EXPECT_EQ(box->text(), text);
        EXPECT_FALSE(box->isChecked()) << text;
    }
    EXPECT_EQ(dialog.viewShowSecLvl()->parent(), groups[0]);
    EXPECT_EQ(dialog.printShowSecLvl()->parent(), groups[1]);

    struct ComboCase {
        QComboBox* combo;
        const char* label;
        QStringList items;
        QGroupBox* group;
    };
    const ComboCase combos[] = {
        {dialog.viewTextCharSet(), "Character set for Text Program Codes:",
         {"Default (DOS 852 Latin)", "Cyrillic (DOS 866)"}, groups[0]},
        {dialog.printSuppressBelowLvl(), "Limit printout of parameters to:",
         {"Print all", "Level 2 and above", "Level 3 only"}, groups[1]},
    };
    for (const ComboCase& c : combos) {
        EXPECT_EQ(Items(c.combo), c.items);
        EXPECT_EQ(c.combo->currentIndex(), 0);
        EXPECT_EQ(c.combo->parent(), c.group);
        QLabel* label = nullptr;
        for (QLabel* l : c.group->findChildren<QLabel*>())
            if (l->buddy() == c.combo)
                label = l;
        ASSERT_NE(label, nullptr) << c.label;
        EXPECT_EQ(label->text(), c.label);
    }
}

TEST_F(AppOptionsTest, OkStoresAllSevenValuesAsIntegers)
{
    settings->setValue(settings::MRUFileCount, 5);
    settings->setValue(settings::ViewShowUnused, 1);
    settings->setValue(settings::PrintSuppressBelowLvl, 1);

    CAppOptionsDlg dialog(*settings);
    dialog.show();
    EXPECT_TRUE(dialog.viewShowUnused()->isChecked());
    EXPECT_EQ(dialog.printSuppressBelowLvl()->currentIndex(), 1);

    dialog.viewShowSecLvl()->setChecked(true);
    dialog.viewShowUnused()->setChecked(false);
    dialog.viewTextCharSet()->setCurrentIndex(1);
    dialog.printSuppressUnused()->setChecked(true);
    dialog.printShowSecLvl()->setChecked(true);
    dialog.printSuppressBelowLvl()->setCurrentIndex(2);
    clickButton(dialog, QDialogButtonBox::Ok);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    const std::pair<IntSetting, const char*> expected[] = {
        {settings::MRUFileCount, "5"},     {settings::ViewShowSecLvl, "1"},      {settings::ViewShowUnused, "0"},
        {settings::ViewTextCharSet, "1"},  {settings::PrintSuppressUnused, "1"}, {settings::PrintShowSecLvl, "1"},
        {settings::PrintSuppressBelowLvl, "2"},
    };
    for (auto [key, text] : expected)
        EXPECT_EQ(stored(key), text) << key.section << "/" << key.name;
}

TEST_F(AppOptionsTest, CancelChangesNothingAndTheNextShowReadsTheStore)
{
    settings->setValue(settings::PrintShowSecLvl, 1);
    CAppOptionsDlg dialog(*settings);
    dialog.show();
    dialog.printShowSecLvl()->setChecked(false);
    dialog.viewShowSecLvl()->setChecked(true);
    clickButton(dialog, QDialogButtonBox::Cancel);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(stored(settings::PrintShowSecLvl), "1");
    EXPECT_EQ(stored(settings::ViewShowSecLvl), ""); // never written
    EXPECT_EQ(stored(settings::MRUFileCount), "");

    // The same dialog object shown again shows what is stored, not what was cancelled.
    settings->setValue(settings::ViewTextCharSet, 1);
    dialog.show();
    EXPECT_TRUE(dialog.printShowSecLvl()->isChecked());
    EXPECT_FALSE(dialog.viewShowSecLvl()->isChecked());
    EXPECT_EQ(dialog.viewTextCharSet()->currentIndex(), 1);
    dialog.hide();
}

TEST_F(AppOptionsTest, ValuesTheCombosCannotShowSurviveOk)
{
    settings->setValue(settings::ViewTextCharSet, 4);
    settings->setValue(settings::PrintSuppressBelowLvl, -1);
    CAppOptionsDlg dialog(*settings);
    dialog.show();
    EXPECT_EQ(dialog.viewTextCharSet()->currentIndex(), -1);
    clickButton(dialog, QDialogButtonBox::Ok);
    EXPECT_EQ(stored(settings::ViewTextCharSet), "4");
    EXPECT_EQ(stored(settings::PrintSuppressBelowLvl), "-1");
    EXPECT_EQ(stored(settings::MRUFileCount), "8"); // the default, as read
}

} // namespace
} // namespace corvane::app

TEST(Screenshots, GeneralOptions)
{
    QTemporaryDir dir;
    corvane::Settings settings(dir.filePath(QStringLiteral("corvane.ini")).toStdString());
    settings.setValue(corvane::settings::ViewShowSecLvl, 1);
    settings.setValue(corvane::settings::PrintSuppressBelowLvl, 1);
    corvane::app::CAppOptionsDlg dialog(settings);
    dialog.show();
    const QString folder = QStringLiteral(CORVANE_BUILD_DIR "/screenshots");
    QDir().mkpath(folder);
    EXPECT_TRUE(dialog.grab().save(folder + QStringLiteral("/general_options.png")));
}
