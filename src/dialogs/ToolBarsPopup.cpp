#include "ToolBarsPopup.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace dialogs {

ToolBarsPopup::ToolBarsPopup(QWidget* owner)
    : QObject(owner)
{
    setObjectName(u"theToolBars"_s);
    m_popup = new QMenu(owner); // owned by the dialog
    m_popup->setObjectName(u"popup"_s);
    addKnownTool(u"add_line"_s, u"Добавить пустую строку в конец"_s);
    addKnownTool(u"insert_line"_s, u"Вставить пустую строку"_s);
    addKnownTool(u"dublicate_line"_s, u"Дублировать строку"_s);
    addKnownTool(u"delete_line"_s, u"Удалить строку"_s);
    addKnownTool(u"clear_selected"_s, u"Очистить выделенные ячейки"_s);
    addKnownTool(u"cb_copy"_s, u"Копировать"_s);
    addKnownTool(u"cb_paste"_s, u"Вставить"_s);
    addKnownTool(u"select_all"_s, u"Пометить все"_s);
    addKnownTool(u"unselect_all"_s, u"Снять все пометки"_s);
    addKnownTool(u"reverse_all"_s, u"Инвертировать выбор"_s);
}

void ToolBarsPopup::addKnownTool(const QString& id, const QString& caption)
{
    // The tools belong to this object, so that emptying the menu keeps them.
    auto* action = new QAction(caption, this);
    action->setObjectName(id);
    connect(action, &QAction::triggered, this, [this, id] {
        if (m_toolClick)
            m_toolClick(id);
    });
    m_tools.insert(id, action);
}

void ToolBarsPopup::clearTools()
{
    m_popup->clear();
}

void ToolBarsPopup::addTool(const QString& id)
{
    if (QAction* action = m_tools.value(id))
        m_popup->addAction(action);
}

void ToolBarsPopup::addSeparator()
{
    m_popup->addSeparator();
}

void ToolBarsPopup::showPopup(const QPoint& place)
{
    m_popup->popup(place);
}

} // namespace dialogs
