#pragma once

#include <functional>

#include <QHash>
#include <QObject>
#include <QString>

class QAction;
class QMenu;
class QPoint;
class QWidget;

namespace dialogs {

// The tools of the options dialog's popup menus, each with its caption and its identifier as
// object name, and the one popup menu (the tool "popup") whose list of tools is rebuilt for every
// showing. A chosen tool is handed to the tool-click handler by its identifier.
class ToolBarsPopup final : public QObject
{
    Q_OBJECT

public:
    using ToolClick = std::function<void(const QString& tool)>;

    explicit ToolBarsPopup(QWidget* owner);
    Q_DISABLE_COPY_MOVE(ToolBarsPopup)

    void setToolClick(ToolClick click) { m_toolClick = std::move(click); }
    QMenu* popupTool() const { return m_popup; }
    QAction* tool(const QString& id) const { return m_tools.value(id); }

    void clearTools();
    void addTool(const QString& id);
    void addSeparator();
    // Shows the popup menu at the place (global coordinates) and returns at once.
    void showPopup(const QPoint& place);

private:
    void addKnownTool(const QString& id, const QString& caption);

    QMenu* m_popup = nullptr;
    QHash<QString, QAction*> m_tools;
    ToolClick m_toolClick;
};

} // namespace dialogs
