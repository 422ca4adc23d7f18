#pragma once
// Printing the parameter listing of a configuration document: through the
// print dialog, directly, or in a print preview, and the page setup of the
// application's one shared printer.

#include <QDateTime>
#include <QString>

class QFont;
class QPrinter;
class QWidget;

namespace corvane {
class CCorvaneDoc;
class Settings;
} // namespace corvane

namespace corvane::app {

enum class PrintAction { Dialog, Direct, Preview };

// The application's printer: page setup, the printer last chosen in a print
// dialog and its options carry over from one print to the next.
QPrinter& SharedPrinter();

// Prints the listing. Dialog asks first (the whole listing or the selection, no
// page numbers); Direct prints at once to the shared printer, or to the printer
// named (a name ending in ".pdf" writes that PDF file); Preview shows the pages
// in a preview window that can print them. False when nothing was printed:
// cancelled, an unknown printer name, or the printer could not be opened (for
// Preview: the pages could not be drawn).
bool PrintListing(QWidget* parent, CCorvaneDoc& doc, const Settings& settings, PrintAction action,
                  const QString& printerName = {});

// "P&rint Setup...": the page setup of the shared printer.
void PrintSetup(QWidget* parent);

// The fixed-pitch font the listing is printed in, so its columns line up.
QFont ListingFont();

// Draws the listing on a printer that is set up already; with selectionOnly the
// sections of the document's current directory only. False when the printer
// could not be opened.
bool PaintListing(QPrinter& printer, const CCorvaneDoc& doc, const Settings& settings, bool selectionOnly,
                  const QDateTime& when = QDateTime::currentDateTime());

} // namespace corvane::app
