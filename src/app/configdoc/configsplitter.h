#pragma once
// The configuration window's client area: the directory tree on the left and
// the parameter list on the right.

#include "configdoc/directorytreeview.h"
#include "configdoc/paramlistview.h"

#include <QSplitter>

namespace corvane {
class CCorvaneDoc;
class ControllerLink;
class Interaction;
class Settings;
} // namespace corvane

namespace corvane::app {

class CConfigSplitter : public QSplitter {
    Q_OBJECT
public:
    CConfigSplitter(CCorvaneDoc& doc, ControllerLink& link, Settings& settings, Interaction& interaction,
                    QWidget* parent = nullptr);
    ~CConfigSplitter() override;

    CDirectoryTreeView* tree() const { return tree_; }
    CParamListView* list() const { return list_; }

    // Refills the list after a document update or an options change; the
    // first call builds the tree.
    void refresh();
    void setListViewMode(ListViewMode mode);
    void arrange();

protected:
    void showEvent(QShowEvent* event) override;

private:
    CCorvaneDoc& doc_;
    CDirectoryTreeView* tree_;
    CParamListView* list_;
    bool refreshing_ = false;
    bool ownsViewsHook_ = false;
};

} // namespace corvane::app
