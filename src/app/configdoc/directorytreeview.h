#pragma once
// The directory tree of a configuration window: selecting an item makes its
// directory the document's current directory.

#include <QIcon>
#include <QTreeWidget>

namespace corvane {
class CCorvaneDoc;
}

namespace corvane::app {

// Tree image i (0-11); a null icon outside.
QIcon TreeImage(int index);
// The image the tree shows for directory d (-1 for none).
int TreeImageOfDirectory(int directory);

class CDirectoryTreeView : public QTreeWidget {
    Q_OBJECT
public:
    explicit CDirectoryTreeView(CCorvaneDoc& doc, QWidget* parent = nullptr);

    // Builds the items once: "Configuration" expanded and the document's
    // current directory selected ("Pulse Outputs" while there is none).
    void build();
    bool isBuilt() const { return topLevelItemCount() > 0; }

    QTreeWidgetItem* itemOfDirectory(int directory) const;
    // Selects a directory's item (and so makes it current).
    void selectDirectory(int directory);

signals:
    // Tab or Shift+Tab pressed in the tree.
    void tabPressed();
    // The selection changed the document's current directory.
    void directoryChanged(int directory);

protected:
    bool event(QEvent* event) override;

private:
    void onSelectionChanged();

    CCorvaneDoc& doc_;
};

} // namespace corvane::app
