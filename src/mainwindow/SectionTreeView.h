#pragma once
// The section tree widget of the main window, filled from the section tree's nodes. Each
// item keeps its node's key (none for sections and groups), its position in the tree and
// its picture's key, which the detail view and the section buttons read back.
#include "MainWindowLayout.h"
#include "operations/SectionTree.h"
#include <QIcon>
#include <QString>
#include <functional>
#include <vector>

class Database;
class QTreeWidget;
class QTreeWidgetItem;

namespace SectionTreeView {

// The picture of an image key ("Operation", "Sale", ...).
using IconSource = std::function<QIcon(const QString& imageKey)>;

// Empties the tree and builds it again for the database's logged-in operator, then selects
// the node at the position of the node selected before (the first when none was): the
// selection follows the position, not the node, and a position beyond the new tree leaves
// nothing selected. No signal of the tree is sent meanwhile. A node whose caption cannot be
// read raises; the nodes added before it stay and nothing is selected.
void Fill(QTreeWidget& tree, Database& db, const SectionTreeOptions& options, const IconSource& icons = {});

// What an item carries.
bool HasKey(const QTreeWidgetItem* item);
QString Key(const QTreeWidgetItem* item);
int Index(const QTreeWidgetItem* item);   // 0 for no item
QString ImageKey(const QTreeWidgetItem* item);

// The item at a position (from 1), or with a key; null when there is none.
QTreeWidgetItem* ItemAt(const QTreeWidget& tree, int index);
QTreeWidgetItem* ItemByKey(const QTreeWidget& tree, const QString& key);
int NodeCount(const QTreeWidget& tree);

// The children of an item, first to last, as the section buttons show them.
std::vector<SectionChild> Children(const QTreeWidgetItem* item);

// A section button's tag names a node by its position when it is a number, else by key.
QTreeWidgetItem* ItemForTag(const QTreeWidget& tree, const QString& tag);

}   // namespace SectionTreeView
