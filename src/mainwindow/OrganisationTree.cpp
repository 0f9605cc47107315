#include "OrganisationTree.h"

#include <algorithm>

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QTreeWidget>

#include "base/Error.h"
#include "core/ApplicationTitle.h"
#include "core/MsgBox.h"
#include "core/UiServices.h"
#include "core/mErrorHandling.h"
#include "core/mOther.h"
#include "diadoc/PersonRecord.h"
#include "platform/diadoc/DiadocOrganization.h"

using namespace Qt::StringLiterals;

namespace mainwindow {

namespace {

// The tree's procedures are the window's own and name it in their error trails.
constexpr char16_t kModule[] = u"frmDiadocUnloadDocs";
constexpr int kKeyNotUnique = 35602;
// The index of a node in the order of adding, kept on its item.
constexpr int kIndexRole = Qt::UserRole + 1;
const QString kCrLf = u"\r\n"_s;

Qt::CheckState checkState(bool ticked)
{
    return ticked ? Qt::Checked : Qt::Unchecked;
}

} // namespace

OrganisationTree::OrganisationTree(QTreeWidget& tree, QMenu& popupMenu, core::UiServices& ui, QObject* parent)
    : QObject(parent)
    , m_tree(tree)
    , m_popupMenu(popupMenu)
    , m_ui(ui)
{
    m_details = m_popupMenu.findChild<QAction*>(QString::fromUtf16(kDetailsCommand), Qt::FindDirectChildrenOnly);
    if (m_details == nullptr) {
        m_details = new QAction(u"Подробности"_s, &m_popupMenu);
        m_details->setObjectName(QString::fromUtf16(kDetailsCommand));
    }
    // The menu opens from the right button and the menu key alone, as the handlers below decide.
    m_tree.setContextMenuPolicy(Qt::PreventContextMenu);
    m_tree.installEventFilter(this);
    m_tree.viewport()->installEventFilter(this);
    connect(&m_tree, &QTreeWidget::itemChanged, this, &OrganisationTree::itemChanged);
    connect(&m_popupMenu, &QMenu::triggered, this, &OrganisationTree::theToolBars_ToolClick);
}

void OrganisationTree::clear()
{
    const QScopedValueRollback settingTicks(m_settingTicks, true);
    m_tree.clear();
    m_items.clear();
    m_itemOf.clear();
    m_nodes.clear();
    m_persons = std::make_shared<engine::PersonsCollection>();
}

void OrganisationTree::FillTreeViewPersonsEx(const run::Organisations& organisations)
{
    try {
        const QScopedValueRollback settingTicks(m_settingTicks, true);
        m_persons = organisations.persons;
        for (const run::OrgNode& node : organisations.nodes) {
            const QString key = node.key.text();
            if (m_items.contains(key))
                throw core::Error(kKeyNotUnique, u"Key is not unique in collection"_s);
            QTreeWidgetItem* parentItem = nullptr;
            if (!node.isOrganisation()) {
                parentItem = m_items.value(node.key.parent().text());
                if (parentItem == nullptr)
                    throw core::Error(35601, u"Element not found"_s);
            }
            auto* item = parentItem == nullptr ? new QTreeWidgetItem(&m_tree) : new QTreeWidgetItem(parentItem);
            item->setText(0, node.text);
            item->setData(0, Qt::UserRole, key);
            item->setData(0, kIndexRole, static_cast<int>(m_nodes.size()));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(0, checkState(node.ticked));
            // The first node of every department list is made visible, which opens its parents.
            if (parentItem != nullptr && parentItem->childCount() == 1) {
                for (QTreeWidgetItem* above = parentItem; above != nullptr; above = above->parent())
                    above->setExpanded(true);
            }
            m_items.insert(key, item);
            m_itemOf.push_back(item);
            m_nodes.push_back(node);
        }
    } catch (...) {
        core::PropagateError(kModule, u"FillTreeViewPersonsEx");
    }
}

std::vector<run::OrgNode> OrganisationTree::nodes() const
{
    std::vector<run::OrgNode> result = m_nodes;
    for (std::size_t i = 0; i < result.size(); ++i)
        result[i].ticked = m_itemOf[i]->checkState(0) == Qt::Checked;
    return result;
}

std::vector<run::OrgNode> OrganisationTree::tickedNodes() const
{
    std::vector<run::OrgNode> result = nodes();
    std::erase_if(result, [](const run::OrgNode& node) { return !node.ticked; });
    return result;
}

run::Organisations OrganisationTree::organisations() const
{
    return {m_persons, nodes()};
}

int OrganisationTree::indexOf(const QTreeWidgetItem* node) const
{
    if (node == nullptr)
        return -1;
    bool ok = false;
    const int index = node->data(0, kIndexRole).toInt(&ok);
    return ok && index >= 0 && index < static_cast<int>(m_itemOf.size()) && m_itemOf[index] == node ? index : -1;
}

void OrganisationTree::itemChanged(QTreeWidgetItem* node, int column)
{
    if (m_settingTicks || column != 0)
        return;
    const int index = indexOf(node);
    // Only a change of the tick is a check; a new text or datum raises the same signal.
    if (index < 0 || (node->checkState(0) == Qt::Checked) == m_nodes[index].ticked)
        return;
    m_nodes[index].ticked = !m_nodes[index].ticked;
    try {
        theTreeViewPersons_NodeCheck(node);
    } catch (...) {
        core::ReportError(m_ui, kModule, u"theTreeViewPersons_NodeCheck");
    }
}

void OrganisationTree::theTreeViewPersons_NodeCheck(QTreeWidgetItem* node)
{
    const run::OrgNode& changed = m_nodes[indexOf(node)];
    const bool ticked = changed.ticked;
    bool spread = true;
    if (ticked && changed.isOrganisation()) {
        spread = m_persons->Item(changed.key.text())->APIPayed();
        // The organisation stays ticked; the message says why nothing of it can be unloaded.
        if (!spread)
            ShowPersonDetails(node);
    }
    if (!spread)
        return;
    // Down the tree only: the node itself and the nodes whose keys continue its key after a "|".
    const run::NodeKey key = changed.key;
    const QScopedValueRollback settingTicks(m_settingTicks, true);
    for (std::size_t i = 0; i < m_nodes.size(); ++i) {
        if (!m_nodes[i].key.isWithin(key))
            continue;
        m_nodes[i].ticked = ticked;
        m_itemOf[i]->setCheckState(0, checkState(ticked));
    }
}

void OrganisationTree::ShowPersonDetails(QTreeWidgetItem* node)
{
    try {
        const int index = indexOf(node);
        if (index < 0 || !m_nodes[index].isOrganisation())
            return;
        const auto& person = m_persons->Item(m_nodes[index].key.text());
        const auto& organization = *person->DiadocOrganization;
        QString message = person->Name + kCrLf + u"ИНН: "_s + organization.Inn();
        if (!organization.Kpp().isEmpty())
            message += u", КПП: "_s + organization.Kpp();
        message += kCrLf + u"Guid в Диадок: "_s + organization.Guid();
        int icon = core::msgbox::vbInformation;
        if (person->APIPayed()) {
            message += kCrLf + kCrLf + u"Доступ к Диадок через Диадок API есть."_s;
        } else {
            const QString error = person->GetDocumentTypesError();
            if (error == QString::fromUtf16(diadoc::PersonRecord::kUnpaidTariffError)) {
                message += kCrLf + kCrLf + u"Доступ к Диадок через Диадок API отсутствует."_s + kCrLf
                           + u"При попытке получения списка типов документов организации, Диадок API сообщил: "_s
                           + kCrLf + u"\"Доступ запрещён. Необходима оплата тарифа АПИ\"."_s;
            } else if (!error.isEmpty()) {
                message += kCrLf + kCrLf + u"Не удалось получить список типов документов организации."_s + kCrLf
                           + u"Диадок API выдал сообщение:"_s + kCrLf + u'"' + error + u'"';
                icon = core::msgbox::vbCritical;
            } else {
                message += kCrLf + kCrLf + u"Доступ к Диадок через Диадок API отсутствует."_s + kCrLf
                           + u"Запрос списка типов документов организации не дал результата."_s + kCrLf
                           + u"Сообщения об ошибках отсутствуют."_s;
                icon = core::msgbox::vbCritical;
            }
            message += kCrLf + kCrLf + u"Выгрузка документов данной организации невозможна."_s;
        }
        core::mOther::iMsgBox(m_ui, message, core::msgbox::vbOKOnly | icon,
                              QString::fromUtf16(core::kApplicationTitle));
    } catch (...) {
        core::ReportError(m_ui, kModule, u"ShowPersonDetails");
    }
}

bool OrganisationTree::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_tree.viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            theTreeViewPersons_MouseDown(mouse->position().toPoint());
            return true;
        }
    } else if (watched == &m_tree && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Menu
            && (key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0) {
            theTreeViewPersons_KeyDown();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

QTreeWidgetItem* OrganisationTree::nodeInRow(const QPoint& pos) const
{
    if (QTreeWidgetItem* hit = m_tree.itemAt(pos))
        return hit;
    // Left of a node's text the tree finds nothing: probe the same row from the left edge on.
    const int step = std::max(1, m_tree.indentation() / 3);
    for (int x = 0; x <= m_tree.viewport()->width(); x += step) {
        if (QTreeWidgetItem* hit = m_tree.itemAt(QPoint(x, pos.y())))
            return hit;
    }
    return nullptr;
}

void OrganisationTree::theTreeViewPersons_MouseDown(const QPoint& pos)
{
    try {
        QTreeWidgetItem* node = nodeInRow(pos);
        if (node == nullptr)
            return;
        m_tree.setCurrentItem(node);
        m_tree.setFocus();
        m_ui.processEvents();
        RunPopupMenuOnNode(node, m_tree.viewport()->mapToGlobal(pos));
    } catch (...) {
        core::ReportError(m_ui, kModule, u"theTreeViewPersons_MouseDown");
    }
}

void OrganisationTree::theTreeViewPersons_KeyDown()
{
    try {
        // Without a selected node there is nothing to offer.
        QTreeWidgetItem* node = m_tree.currentItem();
        if (node == nullptr)
            return;
        const QRect rect = m_tree.visualItemRect(node);
        RunPopupMenuOnNode(node, m_tree.viewport()->mapToGlobal(rect.bottomLeft()));
    } catch (...) {
        core::ReportError(m_ui, kModule, u"theTreeViewPersons_KeyDown");
    }
}

void OrganisationTree::RunPopupMenuOnNode(QTreeWidgetItem* node, const QPoint& globalPos)
{
    try {
        if (node == nullptr)
            return;
        for (QAction* tool : m_popupMenu.actions())
            m_popupMenu.removeAction(tool);
        if (node->parent() == nullptr)
            m_popupMenu.addAction(m_details);
        if (!m_popupMenu.actions().isEmpty())
            m_popupMenu.popup(globalPos);
    } catch (...) {
        core::ReportError(m_ui, kModule, u"RunPopupMenuOnNode");
    }
}

void OrganisationTree::theToolBars_ToolClick(QAction* tool)
{
    try {
        if (tool != nullptr)
            HandleActionCommand(tool->objectName());
    } catch (...) {
        core::ReportError(m_ui, kModule, u"theToolBars_ToolClick");
    }
}

void OrganisationTree::HandleActionCommand(const QString& command)
{
    try {
        if (command == QString::fromUtf16(kDetailsCommand))
            ShowPersonDetails(m_tree.currentItem());
    } catch (...) {
        core::ReportError(m_ui, kModule, u"HandleActionCommand");
    }
}

} // namespace mainwindow
