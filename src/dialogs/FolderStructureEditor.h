#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QWidget;

namespace core {
class UiServices;
class mFetchlingOptions;
} // namespace core

namespace dialogs {

class TwipsLayout;

// The folder structure pattern of the options dialog as a chain of drop-down lists after the root
// label ".\": element lists (even indexes) alternate with delimiter lists (odd indexes), and the
// chain ends with the element list that shows the document element. Lists are created when the
// chain first needs them and hidden, never removed, behind its end. Each delimiter "\" starts a
// new line, indented 240 twips further than the line before, and is shown bold. The list at index
// i is named "theComboBox(i)".
class FolderStructureEditor final : public QObject
{
    Q_OBJECT

public:
    static constexpr char16_t kElementTag[] = u"Элемент";
    static constexpr char16_t kDelimiterTag[] = u"Разделитель";

    // The lists stand on the panel's layout; frameExclude is the frame below them, which the
    // dialog's own rules keep at the panel's bottom.
    FolderStructureEditor(QWidget* panel, TwipsLayout& panelLayout, int frameExcludeIndex, QWidget& dialog,
                          core::UiServices& ui, const core::mFetchlingOptions& options, QCheckBox* excludeNegligible);
    Q_DISABLE_COPY_MOVE(FolderStructureEditor)

    QLabel* thePathLabel = nullptr;
    QComboBox* combo(int index) const { return m_combos.value(index); }
    int loadedCount() const { return static_cast<int>(m_combos.size()); }
    int lastComboIndex() const { return fLastComboIndex; }

    // Each list is left with no item selected, as an emptied list is.
    static void FillCobmoBox(QComboBox* combo, bool withPackages);
    static void FillCobmoBoxDelimiter(QComboBox* combo);

    // Makes the chain show the pattern: each part selects the first item of its list that equals it
    // exactly and is then handled as a click; a part with no such item, or beyond the chain, is
    // passed over.
    void ReBindStructurePath(const QString& text);
    void theComboBox_Click(int index);
    // Gives the last item of every element list the document element that belongs to the state.
    void theCheckBoxGroupIntoPackages_Click(bool on);
    // The pattern the chain shows: its lists' texts joined with "?".
    QString structureText() const;
    // Selects item position of the list at index as the program does: a change is a click.
    void selectItem(int index, int position);

    // Grows the dialog, never shrinks it, so that the chain fits above the frame and within the
    // panel. Only a shown dialog has the sizes to compare, so the dialog calls it once it is shown;
    // from then on every click does.
    void fitDialog();

private:
    QComboBox* loadCombo(int index);
    void layoutChain();
    void refreshExcludeNegligible();

    QWidget* m_panel = nullptr;
    TwipsLayout& m_layout;
    int m_frameExcludeIndex = -1;
    int m_pathLabelIndex = -1;
    QWidget& m_dialog;
    core::UiServices& m_ui;
    const core::mFetchlingOptions& m_options;
    QCheckBox* m_excludeNegligible = nullptr;
    QList<QComboBox*> m_combos;
    QList<int> m_layoutIndex;
    int fLastComboIndex = 0;
};

} // namespace dialogs
