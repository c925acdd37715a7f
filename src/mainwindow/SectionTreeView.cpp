#include "SectionTreeView.h"
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {
enum Role { KeyRole = Qt::UserRole, HasKeyRole, IndexRole, ImageRole };
}

void SectionTreeView::Fill(QTreeWidget& tree, Database& db, const SectionTreeOptions& options, const IconSource& icons)
{
    const QSignalBlocker quiet(&tree);
    const int previous = tree.currentItem() ? Index(tree.currentItem()) : 1;
    tree.clear();

    std::vector<QTreeWidgetItem*> items;   // by position - 1
    BuildSectionTree(db, options, [&](const SectionNode& n) {
        QTreeWidgetItem* item = nullptr;
        if (n.parent > 0 && n.parent <= int(items.size()))
            item = new QTreeWidgetItem(items[size_t(n.parent - 1)]);
        else
            item = new QTreeWidgetItem(&tree);
        item->setText(0, n.text);
        const bool hasKey = n.kind == SectionNode::Kind::Table || n.kind == SectionNode::Kind::Report
            || n.kind == SectionNode::Kind::Connections;
        item->setData(0, KeyRole, n.key);
        item->setData(0, HasKeyRole, hasKey);
        item->setData(0, IndexRole, n.index);
        item->setData(0, ImageRole, n.image);
        if (icons) item->setIcon(0, icons(n.image));
        if (n.expanded) item->setExpanded(true);
        items.push_back(item);
    });

    if (const int position = SelectionAfterRebuild(previous, int(items.size())); position > 0)
        tree.setCurrentItem(items[size_t(position - 1)]);
}

bool SectionTreeView::HasKey(const QTreeWidgetItem* item) { return item && item->data(0, HasKeyRole).toBool(); }
QString SectionTreeView::Key(const QTreeWidgetItem* item)
{
    return item ? item->data(0, KeyRole).toString() : QString();
}
int SectionTreeView::Index(const QTreeWidgetItem* item) { return item ? item->data(0, IndexRole).toInt() : 0; }
QString SectionTreeView::ImageKey(const QTreeWidgetItem* item)
{
    return item ? item->data(0, ImageRole).toString() : QString();
}

QTreeWidgetItem* SectionTreeView::ItemAt(const QTreeWidget& tree, int index)
{
    if (index < 1) return nullptr;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(&tree)); *it; ++it)
        if (Index(*it) == index) return *it;
    return nullptr;
}

QTreeWidgetItem* SectionTreeView::ItemByKey(const QTreeWidget& tree, const QString& key)
{
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(&tree)); *it; ++it)
        if (HasKey(*it) && Key(*it) == key) return *it;
    return nullptr;
}

int SectionTreeView::NodeCount(const QTreeWidget& tree)
{
    int n = 0;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(&tree)); *it; ++it) ++n;
    return n;
}

std::vector<SectionChild> SectionTreeView::Children(const QTreeWidgetItem* item)
{
    std::vector<SectionChild> out;
    if (!item) return out;
    for (int i = 0; i < item->childCount(); ++i) {
        const QTreeWidgetItem* c = item->child(i);
        out.push_back(SectionChild {c->text(0), HasKey(c) ? Key(c) : QString(), Index(c), ImageKey(c)});
    }
    return out;
}

QTreeWidgetItem* SectionTreeView::ItemForTag(const QTreeWidget& tree, const QString& tag)
{
    bool numeric = false;
    const int index = tag.trimmed().toInt(&numeric);
    return numeric ? ItemAt(tree, index) : ItemByKey(tree, tag);
}
