#include "configdoc/paramlistview.h"

#include "common/settings.h"
#include "configdoc/corvanedoc.h"
#include "configdoc/directorytreeview.h"
#include "configdoc/editprogramcode.h"
#include "dictionary/dbparam.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QStackedWidget>
#include <QTreeView>
#include <QVBoxLayout>

namespace corvane::app {

namespace {

QFont ListFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(10);
    return font;
}

} // namespace

ParamListModel::ParamListModel(CCorvaneDoc& doc, QObject* parent) : QAbstractTableModel(parent), doc_(doc) {}

void ParamListModel::fill(int directory, bool showSecurityLevel, int charSet)
{
    beginResetModel();
    directory_ = directory;
    showLevel_ = showSecurityLevel;
    if (charSet != charSet_ || textFont_.family().isEmpty())
        textFont_ = TextCodeFont(charSet);
    charSet_ = charSet;
    rows_ = ParamListRows(doc_, directory);
    endResetModel();
}

void ParamListModel::updateRow(int row)
{
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return;
    rows_[static_cast<std::size_t>(row)] = ParamListRow(doc_, *rows_[static_cast<std::size_t>(row)].param);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void ParamListModel::setIcon(const QIcon& icon)
{
    if (icon.cacheKey() == icon_.cacheKey())
        return;
    icon_ = icon;
    if (!rows_.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
}

DBParam* ParamListModel::param(int row) const
{
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return nullptr;
    return rows_[static_cast<std::size_t>(row)].param;
}

int ParamListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ParamListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ParamListColumnCount(showLevel_);
}

QString ParamListModel::valueText(const ParamRow& row) const
{
    if (row.param->entry().type == ValueType::Text)
        return QString::fromStdString(ControllerTextToUtf8(row.value, charSet_));
    return QString::fromStdString(row.value);
}

QVariant ParamListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size()))
        return {};
    const ParamRow& row = rows_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case 0: return QString::fromStdString(row.description);
        case 1: return valueText(row);
        case 2: return QString::fromStdString(row.comment);
        case kSecurityLevelColumn: return QString::fromStdString(row.level);
        default: return {};
        }
    case Qt::FontRole:
        if (index.column() == 1 && row.param->entry().type == ValueType::Text)
            return textFont_;
        return {};
    case Qt::DecorationRole:
        if (index.column() == 0 && !icon_.isNull())
            return icon_;
        return {};
    case Qt::ToolTipRole:
        if (index.column() == 0)
            return QString::fromStdString(row.description);
        return {};
    default: return {};
    }
}

QVariant ParamListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
        return {};
    return QString::fromLatin1(kParamListColumns[static_cast<std::size_t>(section)].title);
}

CParamListView::CParamListView(CCorvaneDoc& doc, ControllerLink& link, Settings& settings, Interaction& interaction,
                               QWidget* parent)
    : QWidget(parent), doc_(doc), link_(link), settings_(settings), interaction_(interaction),
      model_(new ParamListModel(doc, this)), stack_(new QStackedWidget(this)), details_(new QTreeView(stack_)),
      icons_(new QListView(stack_))
{
    setObjectName(QStringLiteral("paramList"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(stack_);

    const QFont font = ListFont();
    details_->setObjectName(QStringLiteral("paramDetails"));
    details_->setModel(model_);
    details_->setRootIsDecorated(false);
    details_->setItemsExpandable(false);
    details_->setUniformRowHeights(true);
    details_->setAllColumnsShowFocus(true);
    details_->setSelectionBehavior(QAbstractItemView::SelectRows);
    details_->setSelectionMode(QAbstractItemView::SingleSelection);
    details_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    details_->header()->setStretchLastSection(false);
    details_->header()->setSectionsMovable(false);
    details_->setFont(font);

    icons_->setObjectName(QStringLiteral("paramIcons"));
    icons_->setModel(model_);
    icons_->setSelectionModel(details_->selectionModel());
    icons_->setModelColumn(0);
    icons_->setSelectionMode(QAbstractItemView::SingleSelection);
    icons_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    icons_->setResizeMode(QListView::Adjust);
    icons_->setFont(font);

    for (std::size_t c = 0; c < widths_.size(); ++c)
        widths_[c] = kParamListColumns[c].width;
    connect(details_->header(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (!applyingWidths_ && section >= 0 && section < static_cast<int>(widths_.size()))
            widths_[static_cast<std::size_t>(section)] = size;
    });

    stack_->addWidget(details_);
    stack_->addWidget(icons_);
    stack_->setCurrentWidget(details_);

    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(details_), static_cast<QAbstractItemView*>(icons_)}) {
        view->installEventFilter(this);
        connect(view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
            if (index.isValid())
                editRow(index.row());
        });
    }
}

QAbstractItemView* CParamListView::activeView() const
{
    return mode_ == ListViewMode::Details ? static_cast<QAbstractItemView*>(details_)
                                          : static_cast<QAbstractItemView*>(icons_);
}

void CParamListView::applyColumnWidths()
{
    // A refill rebuilds the header; the widths the person chose come back.
    applyingWidths_ = true;
    for (int c = 0; c < model_->columnCount(); ++c)
        details_->header()->resizeSection(c, widths_[static_cast<std::size_t>(c)]);
    applyingWidths_ = false;
}

void CParamListView::refresh()
{
    const int previous = currentRow();
    const int directory = doc_.currentDirectory();
    model_->fill(directory, settings_.value(settings::ViewShowSecLvl) != 0,
                 settings_.value(settings::ViewTextCharSet));
    applyColumnWidths();
    updateIcon();
    const int row = RowToSelect(directory, previous, model_->rowCount());
    if (row >= 0)
        setCurrentRow(row);
}

int CParamListView::currentRow() const
{
    const QModelIndex index = details_->selectionModel()->currentIndex();
    return index.isValid() ? index.row() : -1;
}

void CParamListView::setCurrentRow(int row)
{
    const QModelIndex index = model_->index(row, 0);
    if (!index.isValid())
        return;
    details_->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    activeView()->scrollTo(index);
}

int CParamListView::columnWidth(int column) const
{
    return details_->header()->sectionSize(column);
}

QString CParamListView::cellText(int row, int column) const
{
    return model_->data(model_->index(row, column), Qt::DisplayRole).toString();
}

void CParamListView::setViewMode(ListViewMode mode)
{
    mode_ = mode;
    switch (mode) {
    case ListViewMode::Details:
        stack_->setCurrentWidget(details_);
        break;
    case ListViewMode::LargeIcons:
        icons_->setViewMode(QListView::IconMode);
        icons_->setIconSize(QSize(32, 32));
        icons_->setGridSize(QSize(100, 72));
        icons_->setWordWrap(true);
        icons_->setMovement(QListView::Free);
        stack_->setCurrentWidget(icons_);
        break;
    case ListViewMode::SmallIcons:
        icons_->setViewMode(QListView::ListMode);
        icons_->setIconSize(QSize(16, 16));
        icons_->setGridSize(QSize(200, 20));
        icons_->setFlow(QListView::LeftToRight);
        icons_->setWrapping(true);
        icons_->setWordWrap(false);
        icons_->setMovement(QListView::Free);
        stack_->setCurrentWidget(icons_);
        break;
    case ListViewMode::List:
        icons_->setViewMode(QListView::ListMode);
        icons_->setIconSize(QSize(16, 16));
        icons_->setGridSize(QSize());
        icons_->setFlow(QListView::TopToBottom);
        icons_->setWrapping(true);
        icons_->setWordWrap(false);
        icons_->setMovement(QListView::Static);
        stack_->setCurrentWidget(icons_);
        break;
    }
    updateIcon();
    if (hasFocus() || stack_->hasFocus() || details_->hasFocus() || icons_->hasFocus())
        activeView()->setFocus();
}

void CParamListView::updateIcon()
{
    model_->setIcon(mode_ == ListViewMode::Details ? QIcon()
                                                   : TreeImage(TreeImageOfDirectory(model_->directory())));
}

void CParamListView::arrange()
{
    if (mode_ == ListViewMode::Details)
        return;
    // Setting the view mode again forgets every position an icon was dragged to.
    const ListViewMode mode = mode_;
    icons_->setViewMode(mode == ListViewMode::LargeIcons ? QListView::ListMode : QListView::IconMode);
    setViewMode(mode);
    icons_->doItemsLayout();
}

bool CParamListView::editRow(int row)
{
    DBParam* param = model_->param(row);
    if (!param)
        return false;
    if (!EditProgramCode(this, doc_, link_, *param, settings_, interaction_))
        return false;
    model_->updateRow(row);
    return true;
}

void CParamListView::focusList()
{
    activeView()->setFocus(Qt::TabFocusReason);
}

bool CParamListView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == details_ || watched == icons_)) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            emit tabPressed();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (currentRow() >= 0)
                editRow(currentRow());
            return true;
        default: break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace corvane::app
