#pragma once

#include <utility>

#include <QList>
#include <QObject>
#include <QString>

#include "core/KeyAndName.h"

class QTreeWidget;
class QWidget;

namespace core {
class UiServices;
class mFetchlingOptions;
} // namespace core

namespace dialogs {

class ToolBarsPopup;

// The tree of document types of the options dialog: one top-level node per type, "Title (Key)",
// kept sorted by its text, with the type's stored tick. The tree counts only while the box
// "выгружать документы только указанных типов:" is ticked; otherwise it is disabled and grey. Its
// popup menu ticks, clears or inverts every node; nothing is stored until the dialog's OK.
class DocTypesTree final : public QObject
{
    Q_OBJECT

public:
    DocTypesTree(QWidget* panel, core::UiServices& ui, const core::mFetchlingOptions& options, ToolBarsPopup& tools);
    Q_DISABLE_COPY_MOVE(DocTypesTree)

    QTreeWidget* theTreeDocTypes = nullptr;

    void ReBindTreeDocTypes(const QList<core::KeyAndName>& types);
    // Enables the tree when selective is true and disables it otherwise; when its state changes,
    // every node takes the text colour of the new state.
    void RefreshTreeDocTypes(bool selective);
    void RunPopupMenuOnTreeDocTypes();
    void DoSelectAllTypesDoc();
    void DoUnSelectAllTypesDoc();
    void DoReverseAllTypesDoc();

    // Every node's key and tick, in the order shown.
    QList<std::pair<QString, bool>> ticks() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    core::UiServices& m_ui;
    const core::mFetchlingOptions& m_options;
    ToolBarsPopup& m_tools;
};

} // namespace dialogs
