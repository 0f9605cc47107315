#pragma once

#include <memory>
#include <vector>

#include <QHash>
#include <QObject>
#include <QPoint>
#include <QString>

#include "run/SignIn.h"

class QAction;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

namespace core {
class UiServices;
}

namespace mainwindow {

// The organisations and departments of the signed-in account in the main window's tree, each
// with its tick: filled from a sign-in, ticks spread down from what the user changes, and the
// popup menu with the details of an organisation. Nodes are walked in the order they were added.
class OrganisationTree final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OrganisationTree)

public:
    static constexpr char16_t kDetailsCommand[] = u"details";

    // The popup menu must hold the tool "details"; tree and menu must outlive this.
    OrganisationTree(QTreeWidget& tree, QMenu& popupMenu, core::UiServices& ui, QObject* parent = nullptr);

    // Removes every node; the organisations' records are forgotten.
    void clear();
    // Shows the organisations of a sign-in with the ticks it read from the settings. The records
    // are shared with the caller.
    void FillTreeViewPersonsEx(const run::Organisations& organisations);

    // Every node with its tick as the tree shows it now, in the order the nodes were added.
    std::vector<run::OrgNode> nodes() const;
    // The ticked ones among them.
    std::vector<run::OrgNode> tickedNodes() const;
    // The records and the nodes as they stand, for a run.
    run::Organisations organisations() const;

    QTreeWidgetItem* item(const QString& key) const { return m_items.value(key); }

    // The popup menu for a node (organisations only) and the commands of its tools.
    void RunPopupMenuOnNode(QTreeWidgetItem* node, const QPoint& globalPos);
    void HandleActionCommand(const QString& command);
    void ShowPersonDetails(QTreeWidgetItem* node);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void theTreeViewPersons_NodeCheck(QTreeWidgetItem* node);
    void theTreeViewPersons_MouseDown(const QPoint& pos);
    void theTreeViewPersons_KeyDown();
    void theToolBars_ToolClick(QAction* tool);
    void itemChanged(QTreeWidgetItem* node, int column);
    QTreeWidgetItem* nodeInRow(const QPoint& pos) const;
    int indexOf(const QTreeWidgetItem* node) const;

    QTreeWidget& m_tree;
    QMenu& m_popupMenu;
    core::UiServices& m_ui;
    QAction* m_details = nullptr;
    std::shared_ptr<engine::PersonsCollection> m_persons = std::make_shared<engine::PersonsCollection>();
    // The nodes in the order they were added; each item keeps its index here.
    std::vector<run::OrgNode> m_nodes;
    std::vector<QTreeWidgetItem*> m_itemOf;
    QHash<QString, QTreeWidgetItem*> m_items;
    // Set while the program itself sets ticks, which must not spread.
    bool m_settingTicks = false;
};

} // namespace mainwindow
