#include "configdoc/paramprinter.h"

#include "configdoc/corvanedoc.h"
#include "configdoc/listingpages.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace corvane::app {

namespace {

QPrinter* sharedPrinter = nullptr;

void DeleteSharedPrinter()
{
    delete sharedPrinter;
    sharedPrinter = nullptr;
}

QString LineText(const ListingLine& line)
{
    // The header carries a file name (UTF-8); the listing's own lines are controller
    // bytes, one character each so that the columns stay in place.
    return line.kind == ListingLine::Kind::Header ? QString::fromStdString(line.text)
                                                  : QString::fromLatin1(line.text.data(), qsizetype(line.text.size()));
}

// The selection range makes sense only while a directory is shown.
bool HasSelection(const CCorvaneDoc& doc) { return doc.currentDirectory() >= 0; }

bool RunPrintDialog(QWidget* parent, QPrinter& printer, const CCorvaneDoc& doc)
{
    QPrintDialog dialog(&printer, parent);
    QAbstractPrintDialog::PrintDialogOptions options =
        QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize;
    if (HasSelection(doc))
        options |= QAbstractPrintDialog::PrintSelection;
    dialog.setOptions(options);
    printer.setPrintRange(QPrinter::AllPages);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

QPrinter& SharedPrinter()
{
    if (!sharedPrinter) {
        sharedPrinter = new QPrinter(QPrinter::HighResolution);
        qAddPostRoutine(DeleteSharedPrinter);
    }
    return *sharedPrinter;
}

QFont ListingFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(10);
    return font;
}

bool PaintListing(QPrinter& printer, const CCorvaneDoc& doc, const Settings& settings, bool selectionOnly,
                  const QDateTime& when)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    painter.setFont(ListingFont());
    const QFontMetrics metrics = painter.fontMetrics();
    const int h = std::max(1, metrics.height());

    ListingLayout layout;
    layout.linesPerPage = printer.height() / h;
    if (selectionOnly && HasSelection(doc))
        layout.selection = doc.currentDirectory();
    layout.options = ListingOptionsFrom(settings);
    layout.header = ListingPageHeader(doc, when);

    const auto pages = ListingPages(doc, layout);
    for (std::size_t p = 0; p < pages.size(); ++p) {
        if (p > 0)
            printer.newPage();
        for (const ListingLine& line : pages[p])
            painter.drawText(0, line.y * h + metrics.ascent(), LineText(line));
    }
    return painter.end();
}

bool PrintListing(QWidget* parent, CCorvaneDoc& doc, const Settings& settings, PrintAction action,
                  const QString& printerName)
{
    QPrinter& shared = SharedPrinter();
    switch (action) {
    case PrintAction::Dialog:
        if (!RunPrintDialog(parent, shared, doc))
            return false;
        return PaintListing(shared, doc, settings, shared.printRange() == QPrinter::Selection);
    case PrintAction::Direct: {
        if (printerName.isEmpty()) {
            shared.setPrintRange(QPrinter::AllPages);
            return PaintListing(shared, doc, settings, false);
        }
        QPrinter named(QPrinter::HighResolution);
        named.setPageLayout(shared.pageLayout());
        if (printerName.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
            named.setOutputFormat(QPrinter::PdfFormat);
            named.setOutputFileName(printerName);
        } else if (QPrinterInfo::printerInfo(printerName).isNull()) {
            return false;
        } else {
            named.setPrinterName(printerName);
        }
        return PaintListing(named, doc, settings, false);
    }
    case PrintAction::Preview: {
        shared.setPrintRange(QPrinter::AllPages);
        QPrintPreviewDialog preview(&shared, parent);
        bool painted = true;
        QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter* printer) {
            painted = PaintListing(*printer, doc, settings, printer->printRange() == QPrinter::Selection);
        });
        preview.exec();
        return painted;
    }
    }
    return false;
}

void PrintSetup(QWidget* parent)
{
    QPageSetupDialog dialog(&SharedPrinter(), parent);
    dialog.exec();
}

} // namespace corvane::app
