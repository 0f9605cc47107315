#include "DocTypesTree.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeWidget>

#include "ToolBarsPopup.h"
#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"

using namespace Qt::StringLiterals;

namespace dialogs {

namespace {

constexpr char16_t kModule[] = u"frmOptions";
constexpr int kKeyRole = Qt::UserRole;

template <typename Change> void forEachNode(QTreeWidget* tree, Change change)
{
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        change(tree->topLevelItem(i));
}

} // namespace

DocTypesTree::DocTypesTree(QWidget* panel, core::UiServices& ui, const core::mFetchlingOptions& options,
                           ToolBarsPopup& tools)
    : QObject(panel)
    , m_ui(ui)
    , m_options(options)
    , m_tools(tools)
{
    theTreeDocTypes = new QTreeWidget(panel);
    theTreeDocTypes->setObjectName(u"theTreeDocTypes"_s);
    theTreeDocTypes->setHeaderHidden(true);
    theTreeDocTypes->setRootIsDecorated(false);
    theTreeDocTypes->setColumnCount(1);
    theTreeDocTypes->installEventFilter(this);
    theTreeDocTypes->viewport()->installEventFilter(this);
}

void DocTypesTree::ReBindTreeDocTypes(const QList<core::KeyAndName>& types)
{
    try {
        theTreeDocTypes->clear();
        for (const core::KeyAndName& type : types) {
            auto* node = new QTreeWidgetItem(theTreeDocTypes); // owned by the tree
            node->setText(0, type.Name + u" ("_s + type.Key + u')');
            node->setData(0, kKeyRole, type.Key);
            node->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            node->setCheckState(0, m_options.Get_DocType(type.Key) ? Qt::Checked : Qt::Unchecked);
        }
        theTreeDocTypes->sortItems(0, Qt::AscendingOrder);
    } catch (...) {
        core::PropagateError(kModule, u"ReBindTreeDocTypes");
    }
}

void DocTypesTree::RefreshTreeDocTypes(bool selective)
{
    if (theTreeDocTypes->isEnabled() == selective)
        return;
    theTreeDocTypes->setEnabled(selective);
    const QPalette& palette = theTreeDocTypes->palette();
    const QColor colour = selective ? palette.color(QPalette::Active, QPalette::ButtonText)
                                    : palette.color(QPalette::Disabled, QPalette::Text);
    forEachNode(theTreeDocTypes, [&](QTreeWidgetItem* node) { node->setForeground(0, colour); });
}

void DocTypesTree::RunPopupMenuOnTreeDocTypes()
{
    try {
        m_tools.clearTools();
        m_tools.addTool(u"select_all"_s);
        m_tools.addTool(u"unselect_all"_s);
        m_tools.addTool(u"reverse_all"_s);
        m_tools.showPopup(QCursor::pos());
    } catch (...) {
        core::PropagateError(kModule, u"RunPopupMenuOnTreeDocTypes");
    }
}

void DocTypesTree::DoSelectAllTypesDoc()
{
    forEachNode(theTreeDocTypes, [](QTreeWidgetItem* node) { node->setCheckState(0, Qt::Checked); });
}

void DocTypesTree::DoUnSelectAllTypesDoc()
{
    forEachNode(theTreeDocTypes, [](QTreeWidgetItem* node) { node->setCheckState(0, Qt::Unchecked); });
}

void DocTypesTree::DoReverseAllTypesDoc()
{
    forEachNode(theTreeDocTypes, [](QTreeWidgetItem* node) {
        node->setCheckState(0, node->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    });
}

QList<std::pair<QString, bool>> DocTypesTree::ticks() const
{
    QList<std::pair<QString, bool>> result;
    forEachNode(theTreeDocTypes, [&](QTreeWidgetItem* node) {
        result.append({node->data(0, kKeyRole).toString(), node->checkState(0) == Qt::Checked});
    });
    return result;
}

bool DocTypesTree::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress && watched == theTreeDocTypes->viewport()) {
        if (static_cast<QMouseEvent*>(event)->buttons() & Qt::RightButton) {
            try {
                RunPopupMenuOnTreeDocTypes();
            } catch (...) {
                core::ReportError(m_ui, kModule, u"theTreeDocTypes_MouseDown");
            }
        }
    } else if (event->type() == QEvent::KeyPress && watched == theTreeDocTypes) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (key->key() == Qt::Key_Menu && modifiers == Qt::NoModifier) {
            try {
                RunPopupMenuOnTreeDocTypes();
            } catch (...) {
                core::ReportError(m_ui, kModule, u"theTreeDocTypes_KeyDown");
            }
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace dialogs
