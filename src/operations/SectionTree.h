#pragma once
// The section tree of the main window: four sections with the tables and reports an
// operator may browse. What the tree holds depends on the operator's access level and on
// whether supply payments are in use; the tree widget fills itself from these nodes, in
// their order, and is rebuilt whole, never patched.
#include <QString>
#include <functional>
#include <vector>

class Database;

struct SectionNode {
    enum class Kind { Section, Group, Table, Report, Connections };
    int index = 0;   // position in building order, from 1
    int parent = 0;   // index of the parent node; 0 for a section
    Kind kind = Kind::Section;
    QString key;   // table name, report title, the connections table; empty for sections and groups
    QString text;   // caption shown
    QString image;   // key of the picture in the tree's image list
    bool expanded = false;   // the one section the tree opens with
};

struct SectionTreeOptions {
    bool usePagamentoForniture = false;   // supply payments in use
};

// Adds the nodes of the tree for the database's logged-in operator (its access level) through
// `add`, in order. Table captions are read from the database as each node is added: a table
// the database does not know raises there, and the nodes added so far stay with the caller.
void BuildSectionTree(Database& db, const SectionTreeOptions& options,
                      const std::function<void(const SectionNode&)>& add);
std::vector<SectionNode> SectionTreeNodes(Database& db, const SectionTreeOptions& options);

// The node to select after a rebuild: the position of the node selected before (none: the
// first), when the new tree has that many nodes; 0 when it has not.
int SelectionAfterRebuild(int previousIndex, int nodeCount);
