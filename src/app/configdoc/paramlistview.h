#pragma once
// The parameter list of a configuration window: the program codes of the
// document's current directory with their values, in one of four view modes.
// Double click or Enter edits the code of a row.

#include "configdoc/configview.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QIcon>
#include <QWidget>

#include <array>
#include <vector>

class QAbstractItemView;
class QListView;
class QStackedWidget;
class QTreeView;

namespace corvane {
class CCorvaneDoc;
class ControllerLink;
class DBParam;
class Interaction;
class Settings;
} // namespace corvane

namespace corvane::app {

enum class ListViewMode { LargeIcons, SmallIcons, List, Details };

// The rows of the list as a table model; shared by the details and icon views.
class ParamListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    ParamListModel(CCorvaneDoc& doc, QObject* parent = nullptr);

    // Refills for the directory; the "Sec. Lvl" column only when asked for.
    void fill(int directory, bool showSecurityLevel, int charSet);
    void updateRow(int row);
    // The image of every row in the icon modes; none in details.
    void setIcon(const QIcon& icon);

    DBParam* param(int row) const;
    int directory() const { return directory_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QString valueText(const ParamRow& row) const;

    CCorvaneDoc& doc_;
    std::vector<ParamRow> rows_;
    int directory_ = -1;
    bool showLevel_ = false;
    int charSet_ = 0;
    QFont textFont_;
    QIcon icon_;
};

class CParamListView : public QWidget {
    Q_OBJECT
public:
    CParamListView(CCorvaneDoc& doc, ControllerLink& link, Settings& settings, Interaction& interaction,
                   QWidget* parent = nullptr);

    // Refills the list for the document's current directory.
    void refresh();

    void setViewMode(ListViewMode mode);
    ListViewMode viewMode() const { return mode_; }
    // Lays the icons out on their grid again.
    void arrange();

    ParamListModel* model() const { return model_; }
    QTreeView* detailsView() const { return details_; }
    QListView* iconView() const { return icons_; }
    QAbstractItemView* activeView() const;

    int rowCount() const { return model_->rowCount(); }
    int currentRow() const;
    void setCurrentRow(int row);
    int columnWidth(int column) const;
    // The text shown in a cell.
    QString cellText(int row, int column) const;
    bool showsSecurityLevel() const { return model_->columnCount() > kSecurityLevelColumn; }

    // Edits the code of a row; true when it changed.
    bool editRow(int row);

    // Gives the keyboard focus to the list.
    void focusList();

signals:
    // Tab or Shift+Tab pressed in the list.
    void tabPressed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyColumnWidths();
    void updateIcon();

    CCorvaneDoc& doc_;
    ControllerLink& link_;
    Settings& settings_;
    Interaction& interaction_;
    ParamListModel* model_;
    QStackedWidget* stack_;
    QTreeView* details_;
    QListView* icons_;
    ListViewMode mode_ = ListViewMode::Details;
    std::array<int, kParamListColumns.size()> widths_{};
    bool applyingWidths_ = false;
};

} // namespace corvane::app
