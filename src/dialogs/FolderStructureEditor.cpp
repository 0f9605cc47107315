#include "FolderStructureEditor.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

#include "TwipsLayout.h"
#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"

using namespace Qt::StringLiterals;

namespace dialogs {

namespace {

constexpr char16_t kModule[] = u"frmOptions";
constexpr char16_t kLevelBreak[] = u"\\";
constexpr int kDelimiterWidth = 510;
constexpr int kElementWidth = 2400;
constexpr int kIndent = 240;
constexpr int kSpaceAboveFrame = 90;
const TwipsRect kPathLabelPlace{180, 1755, 240, 210};
const TwipsRect kFirstComboPlace{405, 1695, 2640, 315};

QString tagOf(const QComboBox* combo)
{
    return combo->property("Tag").toString();
}

void fill(QComboBox* combo, const QStringList& items, const char16_t* tag)
{
    combo->clear();
    for (int i = 0; i < items.size(); ++i)
        combo->addItem(items.at(i), i);
    combo->setCurrentIndex(-1);
    combo->setProperty("Tag", QString::fromUtf16(tag));
}

// Twips that a change in pixels must cover at least.
int coveringPixels(int twips)
{
    return (twips + kTwipsPerPixel - 1) / kTwipsPerPixel;
}

} // namespace

FolderStructureEditor::FolderStructureEditor(QWidget* panel, TwipsLayout& panelLayout, int frameExcludeIndex,
                                             QWidget& dialog, core::UiServices& ui,
                                             const core::mFetchlingOptions& options, QCheckBox* excludeNegligible)
    : QObject(panel)
    , m_panel(panel)
    , m_layout(panelLayout)
    , m_frameExcludeIndex(frameExcludeIndex)
    , m_dialog(dialog)
    , m_ui(ui)
    , m_options(options)
    , m_excludeNegligible(excludeNegligible)
{
    thePathLabel = new QLabel(u".\\"_s, panel);
    thePathLabel->setObjectName(u"thePathLabel"_s);
    m_pathLabelIndex = m_layout.add(thePathLabel, kPathLabelPlace, true);
    loadCombo(0);
}

QComboBox* FolderStructureEditor::loadCombo(int index)
{
    if (index < m_combos.size())
        return m_combos.at(index);
    auto* combo = new QComboBox(m_panel); // owned by the panel
    combo->setObjectName(u"theComboBox(%1)"_s.arg(index));
    combo->setMaxVisibleItems(13);
    TwipsRect place = kFirstComboPlace;
    if (index > 0) {
        const TwipsRect& previous = m_layout.placeAt(m_layoutIndex.at(index - 1));
        place = TwipsRect{previous.left + previous.width, previous.top, kElementWidth, previous.height};
        QWidget::setTabOrder(m_combos.at(index - 1), combo);
    }
    m_combos.append(combo);
    m_layoutIndex.append(m_layout.add(combo, place));
    connect(combo, &QComboBox::activated, this, [this, index] { theComboBox_Click(index); });
    return combo;
}

void FolderStructureEditor::FillCobmoBox(QComboBox* combo, bool withPackages)
{
    fill(combo, core::mFetchlingOptions::Get_StructureElements(withPackages), kElementTag);
}

void FolderStructureEditor::FillCobmoBoxDelimiter(QComboBox* combo)
{
    fill(combo, core::mFetchlingOptions::Get_StructureDelimiters(), kDelimiterTag);
}

void FolderStructureEditor::ReBindStructurePath(const QString& text)
{
    try {
        const QStringList parts = text.isEmpty() ? QStringList() : text.split(u'?');
        for (int i = 0; i < parts.size(); ++i) {
            if (i > fLastComboIndex)
                continue;
            QComboBox* list = m_combos.at(i);
            int found = -1;
            for (int j = 0; j < list->count() && found < 0; ++j) {
                if (list->itemText(j) == parts.at(i))
                    found = j;
            }
            if (found < 0)
                continue;
            list->setCurrentIndex(found);
            theComboBox_Click(i);
        }
    } catch (...) {
        core::PropagateError(kModule, u"ReBindStructurePath");
    }
}

void FolderStructureEditor::selectItem(int index, int position)
{
    QComboBox* list = m_combos.at(index);
    if (list->currentIndex() == position)
        return;
    list->setCurrentIndex(position);
    theComboBox_Click(index);
}

void FolderStructureEditor::theComboBox_Click(int index)
{
    try {
        const bool packages = m_options.Get_GroupIntoPackages() != 0;
        QComboBox* list = m_combos.at(index);
        if (tagOf(list) == QStringView(kElementTag)) {
            const bool documentElement = list->currentIndex() == list->count() - 1;
            if (index != fLastComboIndex) {
                if (documentElement) {
                    for (int k = static_cast<int>(m_combos.size()) - 1; k > index; --k)
                        m_combos.at(k)->setVisible(false);
                    fLastComboIndex = index;
                }
            } else if (!documentElement) {
                QComboBox* delimiter = loadCombo(index + 1);
                TwipsRect place = m_layout.placeAt(m_layoutIndex.at(index + 1));
                place.width = kDelimiterWidth;
                m_layout.setPlaceAt(m_layoutIndex.at(index + 1), place);
                FillCobmoBoxDelimiter(delimiter);
                selectItem(index + 1, 0);
                delimiter->setVisible(true);

                QComboBox* element = loadCombo(index + 2);
                place = m_layout.placeAt(m_layoutIndex.at(index + 2));
                place.width = kElementWidth;
                m_layout.setPlaceAt(m_layoutIndex.at(index + 2), place);
                FillCobmoBox(element, packages);
                selectItem(index + 2, element->count() - 1);
                element->setVisible(true);
            }
        } else if (tagOf(list) == QStringView(kDelimiterTag)) {
            QFont font = list->font();
            font.setBold(list->currentIndex() == 0);
            list->setFont(font);
        }
        layoutChain();
        refreshExcludeNegligible();
        if (m_dialog.isVisible())
            fitDialog();
    } catch (...) {
        core::ReportError(m_ui, kModule, u"theComboBox_Click");
    }
}

void FolderStructureEditor::layoutChain()
{
    const TwipsRect first = m_layout.placeAt(m_layoutIndex.at(0));
    int level = 0;
    for (int k = 1; k <= fLastComboIndex; ++k) {
        if (k % 2 == 1)
            m_combos.at(k - 1)->setToolTip(m_combos.at(k - 1)->currentText());
        m_combos.at(k)->setToolTip(QString());
        TwipsRect place = m_layout.placeAt(m_layoutIndex.at(k));
        if (m_combos.at(k)->currentText() == QStringView(kLevelBreak)) {
            place.left = first.left + kIndent * level;
            ++level;
        } else {
            const TwipsRect& previous = m_layout.placeAt(m_layoutIndex.at(k - 1));
            place.left = previous.left + previous.width;
        }
        place.top = first.top + first.height * level;
        m_layout.setPlaceAt(m_layoutIndex.at(k), place);
    }
}

void FolderStructureEditor::fitDialog()
{
    const int margin = m_layout.placeAt(m_pathLabelIndex).left;
    const int panelWidth = pixelsToTwips(m_panel->width());
    int widest = panelWidth - 2 * margin;
    for (int k = 1; k <= fLastComboIndex; ++k) {
        if (m_combos.at(k)->currentText() == QStringView(kLevelBreak))
            continue;
        const TwipsRect& place = m_layout.placeAt(m_layoutIndex.at(k));
        widest = std::max(widest, place.left + place.width + margin);
    }
    const TwipsRect& last = m_layout.placeAt(m_layoutIndex.at(fLastComboIndex));
    const int bottom = last.top + last.height + kSpaceAboveFrame;
    const int frameTop = m_layout.placeAt(m_frameExcludeIndex).top;
    const int taller = frameTop < bottom ? bottom - frameTop : 0;
    const int wider = panelWidth < widest ? widest - panelWidth : 0;
    if (taller > 0 || wider > 0)
        m_dialog.resize(m_dialog.width() + coveringPixels(wider), m_dialog.height() + coveringPixels(taller));
}

void FolderStructureEditor::refreshExcludeNegligible()
{
    bool withName = false;
    for (int k = 0; k <= fLastComboIndex; ++k) {
        const QString text = m_combos.at(k)->currentText();
        withName = withName || text == u"Наименование контрагента" || text == u"Наименование организации";
    }
    m_excludeNegligible->setEnabled(withName);
}

void FolderStructureEditor::theCheckBoxGroupIntoPackages_Click(bool on)
{
    try {
        const QString documentElement = core::mFetchlingOptions::Get_StructureElements(on).constLast();
        for (QComboBox* list : std::as_const(m_combos)) {
            if (tagOf(list) == QStringView(kElementTag) && list->count() > 0)
                list->setItemText(list->count() - 1, documentElement);
        }
    } catch (...) {
        core::ReportError(m_ui, kModule, u"theCheckBoxGroupIntoPackages_Click");
    }
}

QString FolderStructureEditor::structureText() const
{
    QStringList texts;
    for (int k = 0; k <= fLastComboIndex; ++k)
        texts.append(m_combos.at(k)->currentText());
    return texts.join(u'?');
}

} // namespace dialogs
