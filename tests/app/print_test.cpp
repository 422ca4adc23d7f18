// The printed listing end to end: pages drawn through QPrinter into a PDF and
// read back as text, the print dialog's range choice, and the preview.

#include "configdoc/paramprinter.h"

#include "common/settings.h"
#include "configdoc/corvanedoc.h"
#include "configdoc/listingpages.h"
#include "dictionary/directories.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <memory>

namespace corvane::app {
namespace {

// Runs `act` on the first visible top-level widget of type T once it shows up
// (a modal dialog's exec() is running then).
template <typename T>
void WhenShown(std::function<void(T*)> act)
{
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [act, poll] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* t = qobject_cast<T*>(w); t && t->isVisible()) {
                act(t);
                *poll = nullptr;
                return;
            }
        QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
}

std::string RightTrimmed(std::string s)
{
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

// The PDF's text, one list of lines per page. Words go back to the character
// columns their positions say (the font has a fixed pitch), so a test sees
// whether the columns line up and not only what the lines say.
std::vector<std::vector<std::string>> PdfPages(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(30000));
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression wordPattern(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re"));
    std::vector<std::vector<std::string>> pages;
    for (const QString& page : html.split(QStringLiteral("<page")).mid(1)) {
        struct Word {
            double x, y, width;
            QString text;
        };
        std::vector<Word> words;
        for (auto it = wordPattern.globalMatch(page); it.hasNext();) {
            const auto m = it.next();
            QString text = m.captured(4);
            text.replace(QStringLiteral("&lt;"), QStringLiteral("<")).replace(QStringLiteral("&gt;"), QStringLiteral(">"));
            text.replace(QStringLiteral("&quot;"), QStringLiteral("\"")).replace(QStringLiteral("&apos;"), QStringLiteral("'"));
            text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
            words.push_back({m.captured(1).toDouble(), m.captured(2).toDouble(),
                             m.captured(3).toDouble() - m.captured(1).toDouble(), text});
        }
        if (words.empty())
            continue;
        double left = words.front().x, pitch = 0;
        std::size_t chars = 0;
        for (const Word& w : words) {
            left = std::min(left, w.x);
            pitch += w.width;
            chars += w.text.size();
        }
        pitch /= double(chars);
        std::map<long, std::string> lines; // by y
        for (const Word& w : words) {
            std::string& line = lines[std::lround(w.y)];
            const auto column = std::size_t(std::lround((w.x - left) / pitch));
            if (line.size() < column)
                line.resize(column, ' ');
            else if (!line.empty())
                line += ' ';
            line += w.text.toStdString();
        }
        pages.emplace_back();
        for (auto& [y, line] : lines)
            pages.back().push_back(line);
    }
    return pages;
}

class PrintListingTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    Settings settings{dir.filePath(QStringLiteral("corvane.ini")).toStdString()};
    std::unique_ptr<CCorvaneDoc> doc = std::make_unique<CCorvaneDoc>();
    QString pdf = dir.filePath(QStringLiteral("listing.pdf"));

    void SetUp() override
    {
        ASSERT_TRUE(doc->setValue(*doc->chain().find(2, 202), "2", 3));
        ASSERT_TRUE(doc->setValue(*doc->chain().find(10, 705), "30", 1));
        doc->setCurrentDirectory(1);
        SharedPrinter().setOutputFileName(pdf);
    }
    void TearDown() override { SharedPrinter().setOutputFileName({}); }

    // What the listing says, line by line and right-trimmed as the PDF's text comes back.
    std::vector<std::vector<std::string>> expectedPages(const QPrinter& printer, std::optional<int> selection)
    {
        ListingLayout layout;
        layout.linesPerPage = printer.height() / QFontMetrics(ListingFont(), &printer).height();
        layout.selection = selection;
        layout.options = ListingOptionsFrom(settings);
        std::vector<std::vector<std::string>> pages;
        for (const ListingPage& page : ListingPages(*doc, layout)) {
            pages.emplace_back();
            for (const ListingLine& line : page)
                if (line.kind != ListingLine::Kind::Header)
                    pages.back().push_back(RightTrimmed(line.text));
        }
        return pages;
    }
};

TEST_F(PrintListingTest, DirectToPdfPrintsEveryPageAsLaidOut)
{
    settings.setValue(settings::PrintShowSecLvl, 1);
    const QString named = dir.filePath(QStringLiteral("named.pdf"));
    ASSERT_TRUE(PrintListing(nullptr, *doc, settings, PrintAction::Direct, named));

    QPrinter reference(QPrinter::HighResolution);
    reference.setOutputFileName(named);
    auto expected = expectedPages(reference, std::nullopt);
    auto pages = PdfPages(named);
    ASSERT_GT(expected.size(), 1u);
    ASSERT_EQ(pages.size(), expected.size());
    // The header opens the first page only; its date is the print's.
    const std::string header = pages[0].front();
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^Untitled - Printed [A-Z][a-z]+ \d\d, \d{4} \d\d:\d\d$)"))
                    .match(QString::fromStdString(header))
                    .hasMatch())
        << header;
    pages[0].erase(pages[0].begin());
    for (std::size_t p = 0; p < pages.size(); ++p)
        EXPECT_EQ(pages[p], expected[p]) << "page " << p;

    EXPECT_EQ(doc->currentDirectory(), 1);
}

TEST_F(PrintListingTest, DirectToTheSharedPrinter)
{
    ASSERT_TRUE(PrintListing(nullptr, *doc, settings, PrintAction::Direct));
    EXPECT_EQ(PdfPages(pdf).size(), expectedPages(SharedPrinter(), std::nullopt).size());
}

TEST_F(PrintListingTest, UnknownPrinterPrintsNothing)
{
    EXPECT_FALSE(PrintListing(nullptr, *doc, settings, PrintAction::Direct, QStringLiteral("no such printer")));
    EXPECT_FALSE(QFileInfo::exists(pdf));
}

TEST_F(PrintListingTest, DialogOffersTheSelectionAndNoPageNumbers)
{
    struct Case {
        int current;
        bool selection;
        std::vector<std::string> titles;
    };
    std::vector<std::string> recipes;
    for (int r = 1; r <= 12; ++r)
        recipes.push_back("Recipe " + std::to_string(r) + " Directory");
    const Case cases[] = {
        {9, true, {"Alarms Directory"}},
        {kRecipeDirectory, true, recipes},
        {9, false, {}}, // all 22 sections
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.current);
        QFile::remove(pdf);
        doc->setCurrentDirectory(c.current);
        bool offered = false, pageRange = true;
        WhenShown<QPrintDialog>([&](QPrintDialog* dialog) {
            offered = dialog->testOption(QAbstractPrintDialog::PrintSelection);
            pageRange = dialog->testOption(QAbstractPrintDialog::PrintPageRange);
            if (c.selection)
                if (auto* radio = dialog->findChild<QRadioButton*>(QStringLiteral("printSelection")))
                    radio->setChecked(true);
            dialog->accept();
        });
        ASSERT_TRUE(PrintListing(nullptr, *doc, settings, PrintAction::Dialog));
        EXPECT_TRUE(offered);
        EXPECT_FALSE(pageRange);
        std::vector<std::string> titles;
        for (const auto& page : PdfPages(pdf))
            for (const std::string& line : page)
                if (line.size() > 10 && line.compare(line.size() - 10, 10, " Directory") == 0 &&
                    line.find("  ") == std::string::npos)
                    titles.push_back(line);
        if (c.selection)
            EXPECT_EQ(titles, c.titles);
        else
            EXPECT_EQ(titles.size(), 22u);
        EXPECT_EQ(doc->currentDirectory(), c.current);
    }
}

TEST_F(PrintListingTest, CancelledDialogPrintsNothing)
{
    WhenShown<QPrintDialog>([](QPrintDialog* dialog) { dialog->reject(); });
    EXPECT_FALSE(PrintListing(nullptr, *doc, settings, PrintAction::Dialog));
    EXPECT_FALSE(QFileInfo::exists(pdf));
}

TEST_F(PrintListingTest, PreviewShowsThePages)
{
    int shownPages = -1;
    WhenShown<QPrintPreviewDialog>([&](QPrintPreviewDialog* dialog) {
        if (auto* widget = dialog->findChild<QPrintPreviewWidget*>())
            shownPages = widget->pageCount();
        dialog->reject();
    });
    EXPECT_TRUE(PrintListing(nullptr, *doc, settings, PrintAction::Preview));
    EXPECT_EQ(shownPages, int(expectedPages(SharedPrinter(), std::nullopt).size()));
    EXPECT_FALSE(QFileInfo::exists(pdf));
}

} // namespace
} // namespace corvane::app

TEST(Screenshots, PrintPreview)
{
    using namespace corvane;
    QTemporaryDir dir;
    Settings settings(dir.filePath(QStringLiteral("corvane.ini")).toStdString());
    settings.setValue(settings::PrintShowSecLvl, 1);
    CCorvaneDoc doc;
    doc.setValue(*doc.chain().find(2, 201), "3", 2);
    doc.setValue(*doc.chain().find(2, 202), "2", 3);
    doc.setValue(*doc.chain().find(5, 112), "GPM", 1);
    doc.setValue(*doc.chain().find(10, 705), "30", 1);
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewWidget preview(&printer);
    QObject::connect(&preview, &QPrintPreviewWidget::paintRequested,
                     [&](QPrinter* p) { app::PaintListing(*p, doc, settings, false); });
    preview.resize(850, 1100);
    preview.setZoomMode(QPrintPreviewWidget::FitInView);
    preview.show();
    preview.updatePreview();
    QApplication::processEvents();
    ASSERT_GT(preview.pageCount(), 1);
    const QString folder = QStringLiteral(CORVANE_BUILD_DIR "/screenshots");
    QDir().mkpath(folder);
    EXPECT_TRUE(preview.grab().save(folder + QStringLiteral("/print_preview.png")));
}
