#include "configdoc/directorytreeview.h"

#include "configdoc/configview.h"
#include "configdoc/corvanedoc.h"

#include <QImageReader>
#include <QKeyEvent>

#include <array>

// Resources of a static library are registered by hand.
static void InitTreeResources()
{
    Q_INIT_RESOURCE(tree);
}

namespace corvane::app {

namespace {

constexpr std::array<const char*, kTreeImageCount> kTreeImageFiles = {
    "folder", "general", "meter", "blend", "arm", "product",
    "alarm", "comm", "recipe", "display", "report", "equation",
};

} // namespace

QIcon TreeImage(int index)
{
    if (index < 0 || index >= kTreeImageCount)
        return {};
    static std::array<QIcon, kTreeImageCount> icons;
    static bool loaded = false;
    if (!loaded) {
        InitTreeResources();
        for (int i = 0; i < kTreeImageCount; ++i) {
            const QString path = QStringLiteral(":/tree/%1.svg").arg(QLatin1String(kTreeImageFiles[i]));
            // Drawn at 16 x 16 for the tree and at 32 x 32 for the list's large icons.
            QIcon icon;
            for (int size : {16, 32}) {
                QImageReader reader(path);
                reader.setScaledSize(QSize(size, size));
                const QImage image = reader.read();
                if (!image.isNull())
                    icon.addPixmap(QPixmap::fromImage(image));
            }
            icons[static_cast<std::size_t>(i)] = icon;
        }
        loaded = true;
    }
    return icons[static_cast<std::size_t>(index)];
}

int TreeImageOfDirectory(int directory)
{
    for (const TreeItemInfo& info : DirectoryTreeItems())
        if (info.directory == directory)
            return info.image;
    return -1;
}

CDirectoryTreeView::CDirectoryTreeView(CCorvaneDoc& doc, QWidget* parent) : QTreeWidget(parent), doc_(doc)
{
    setObjectName(QStringLiteral("directoryTree"));
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(9);
    setFont(font);
    connect(this, &QTreeWidget::itemSelectionChanged, this, &CDirectoryTreeView::onSelectionChanged);
}

void CDirectoryTreeView::build()
{
    if (isBuilt())
        return;
    {
        const QSignalBlocker blocker(this);
        std::array<QTreeWidgetItem*, 24> byDirectory{};
        for (const TreeItemInfo& info : DirectoryTreeItems()) {
            QTreeWidgetItem* item = info.parentDirectory < 0
                                        ? new QTreeWidgetItem(this)
                                        : new QTreeWidgetItem(byDirectory[static_cast<std::size_t>(info.parentDirectory)]);
            item->setText(0, QString::fromStdString(info.text));
            item->setData(0, Qt::UserRole, info.directory);
            item->setIcon(0, TreeImage(info.image));
            byDirectory[static_cast<std::size_t>(info.directory)] = item;
        }
        byDirectory[0]->setExpanded(true);
    }
    const int current = doc_.currentDirectory();
    selectDirectory(current >= 0 ? current : kFirstSelectedDirectory);
}

QTreeWidgetItem* CDirectoryTreeView::itemOfDirectory(int directory) const
{
    QTreeWidgetItemIterator it(const_cast<CDirectoryTreeView*>(this));
    for (; *it; ++it)
        if ((*it)->data(0, Qt::UserRole).toInt() == directory)
            return *it;
    return nullptr;
}

void CDirectoryTreeView::selectDirectory(int directory)
{
    QTreeWidgetItem* item = itemOfDirectory(directory);
    if (!item)
        return;
    if (currentItem() == item && item->isSelected()) {
        onSelectionChanged();
        return;
    }
    setCurrentItem(item);
}

void CDirectoryTreeView::onSelectionChanged()
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    if (selected.isEmpty())
        return;
    const int directory = selected.front()->data(0, Qt::UserRole).toInt();
    if (directory != doc_.currentDirectory())
        doc_.setCurrentDirectory(directory);
    emit directoryChanged(directory);
}

bool CDirectoryTreeView::event(QEvent* event)
{
    // Tab goes to the list, not along the window's focus chain.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            emit tabPressed();
            return true;
        }
    }
    return QTreeWidget::event(event);
}

} // namespace corvane::app
