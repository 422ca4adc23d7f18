#include "configdoc/configsplitter.h"

#include "configdoc/corvanedoc.h"

namespace corvane::app {

CConfigSplitter::CConfigSplitter(CCorvaneDoc& doc, ControllerLink& link, Settings& settings, Interaction& interaction,
                                 QWidget* parent)
    : QSplitter(Qt::Horizontal, parent), doc_(doc), tree_(new CDirectoryTreeView(doc, this)),
      list_(new CParamListView(doc, link, settings, interaction, this))
{
    setObjectName(QStringLiteral("configSplitter"));
    addWidget(tree_);
    addWidget(list_);
    setStretchFactor(0, 0);
    setStretchFactor(1, 1);
    setChildrenCollapsible(false);
    tree_->resize(170, 60);
    list_->resize(400, 80);
    setSizes({170, 400});

    connect(tree_, &CDirectoryTreeView::tabPressed, list_, &CParamListView::focusList);
    connect(list_, &CParamListView::tabPressed, tree_, [this] { tree_->setFocus(Qt::TabFocusReason); });
    // A directory change refills the list even when nothing else passes the document's update on.
    connect(tree_, &CDirectoryTreeView::directoryChanged, this, [this](int directory) {
        if (list_->model()->directory() != directory)
            refresh();
    });
    // Without a frame of its own the window follows the document itself.
    if (!doc_.onViewsChanged) {
        doc_.onViewsChanged = [this] { refresh(); };
        ownsViewsHook_ = true;
    }
}

CConfigSplitter::~CConfigSplitter()
{
    if (ownsViewsHook_)
        doc_.onViewsChanged = nullptr;
}

void CConfigSplitter::refresh()
{
    if (refreshing_)
        return;
    refreshing_ = true;
    // The first update builds the tree, whose first selection sets the current directory.
    if (!tree_->isBuilt())
        tree_->build();
    list_->refresh();
    refreshing_ = false;
}

void CConfigSplitter::setListViewMode(ListViewMode mode)
{
    list_->setViewMode(mode);
}

void CConfigSplitter::arrange()
{
    list_->arrange();
}

void CConfigSplitter::showEvent(QShowEvent* event)
{
    QSplitter::showEvent(event);
    if (!tree_->isBuilt())
        refresh();
}

} // namespace corvane::app
