#include "frmOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFocusEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>

#include "DocTypesTree.h"
#include "ExclusionListEditor.h"
#include "FolderStructureEditor.h"
#include "OptionsLayout.h"
#include "ToolBarsPopup.h"
#include "TwipsLayout.h"
#include "UnboundBookmark.h"
#include "core/ApplicationTitle.h"
#include "core/MsgBox.h"
#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"
#include "core/mFolderSelectDialog.h"
#include "core/mOther.h"

using namespace Qt::StringLiterals;
namespace layout = dialogs::options_layout;

namespace dialogs {

namespace {

constexpr char16_t kModule[] = u"frmOptions";
constexpr int kLongPathLength = 31;
constexpr char16_t kLinkToolTip[] = u"Двойным кликом можно перейти по ссылке...";

template <typename T> T* named(T* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

QLabel* label(const QString& name, const QString& text, QWidget* parent)
{
    return named(new QLabel(text, parent), name);
}

QCheckBox* checkBox(const QString& name, const QString& text, QWidget* parent)
{
    return named(new QCheckBox(text, parent), name);
}

QSpinBox* numberBox(const QString& name, QWidget* parent)
{
    auto* box = named(new QSpinBox(parent), name);
    box->setRange(0, 999);
    box->setButtonSymbols(QAbstractSpinBox::NoButtons);
    box->setAlignment(Qt::AlignRight);
    box->setFrame(true);
    return box;
}

QLineEdit* linkBox(const QString& name, const QString& text, QWidget* parent)
{
    auto* box = named(new QLineEdit(text, parent), name);
    box->setReadOnly(true);
    box->setFrame(false);
    box->setToolTip(QString::fromUtf16(kLinkToolTip));
    box->setCursor(Qt::PointingHandCursor);
    box->setCursorPosition(0);
    QFont font = box->font();
    font.setUnderline(true);
    box->setFont(font);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Text, QColor(0, 0, 255));
    palette.setColor(QPalette::Base, Qt::transparent);
    box->setPalette(palette);
    return box;
}

int flag(const QCheckBox* box)
{
    return box->isChecked() ? 1 : 0;
}

void setFlag(QCheckBox* box, int value)
{
    box->setChecked(value != 0);
}

// The frame's own layout, with no rules: its controls keep their places.
TwipsLayout* frameLayout(QWidget* frame)
{
    return new TwipsLayout(frame); // owned by the frame
}

} // namespace

frmOptions::frmOptions(core::UiServices& ui, core::mFetchlingOptions& options, QWidget* parent, UrlOpener openUrl)
    : QDialog(parent)
    , m_ui(ui)
    , m_options(options)
    , m_openUrl(std::move(openUrl))
{
    setObjectName(u"frmOptions"_s);
    // The places were drawn for a small sans-serif face of 8 points; a narrower cut of the
    // desktop's face keeps the captions within them.
    QFont small = font();
    small.setPointSizeF(7.5);
    small.setStretch(QFont::SemiCondensed);
    setFont(small);
    if (!m_openUrl)
        m_openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    buildControls();
}

frmOptions::~frmOptions() = default;

void frmOptions::buildControls()
{
    const layout::WindowPlaces window;

    theToolBars = new ToolBarsPopup(this);
    theToolBars->setToolClick([this](const QString& tool) { theToolBars_ToolClick(tool); });

    theTabs = named(new QTabWidget(this), u"theTabs"_s);
    theTabs->addTab(buildProtocolPanel(), u"Основные"_s);
    theTabs->addTab(buildDocTypesPanel(), u"Типы документов"_s);
    theTabs->addTab(buildExcludePanel(), u"Исключения"_s);
    theTabs->addTab(buildMorePanel(), u"Дополнительные"_s);

    theDefault = named(new QPushButton(u"По умолчанию"_s, this), u"theDefault"_s);
    theOK = named(new QPushButton(u"OK"_s, this), u"theOK"_s);
    theCancel = named(new QPushButton(u"Отмена"_s, this), u"theCancel"_s);
    // Enter has no meaning for the whole dialog: it belongs to the grid and the boxes.
    for (QPushButton* button : {theDefault, theOK, theCancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    auto* windowLayout =
        new TwipsLayout(this, QSize(layout::kDesignInnerWidth, layout::kDesignInnerHeight)); // owned by the dialog
    windowLayout->add(theTabs, window.tabs);
    windowLayout->add(theDefault, window.defaultButton);
    windowLayout->add(theOK, window.ok);
    windowLayout->add(theCancel, window.cancel);
    windowLayout->setRules([](int innerWidth, int innerHeight, QList<TwipsRect>& places) {
        layout::WindowPlaces p{places[0], places[1], places[2], places[3]};
        layout::layoutWindow(p, innerWidth, innerHeight);
        places = {p.tabs, p.defaultButton, p.ok, p.cancel};
    });

    connect(theOK, &QPushButton::clicked, this, [this] { theOK_Click(); });
    connect(theCancel, &QPushButton::clicked, this, [this] { theCancel_Click(); });
    connect(theDefault, &QPushButton::clicked, this, [this] { theDefault_Click(); });
    resize(twipsToPixels(layout::kDesignInnerWidth), twipsToPixels(layout::kDesignInnerHeight));
}

QWidget* frmOptions::buildProtocolPanel()
{
    const layout::ProtocolPanelPlaces places;
    theTabPanelProtocol = named(new QWidget, u"theTabPanelProtocol"_s);
    QWidget* panel = theTabPanelProtocol;

    auto* framePath = named(new QWidget(panel), u"theFramePath"_s);
    auto* label5 = label(u"Label5"_s, u"Структура папок выгрузки документов:"_s, panel);
    auto* frameExclude = named(new QWidget(panel), u"theFrameExclude"_s);
    auto* frameProtocol = named(new QWidget(panel), u"theFrameProtocol"_s);
    m_protocolLayout = new TwipsLayout(panel); // owned by the panel
    m_protocolLayout->add(framePath, places.framePath);
    m_protocolLayout->add(label5, places.label5, true);
    const int frameExcludeIndex = m_protocolLayout->add(frameExclude, places.frameExclude);
    m_protocolLayout->add(frameProtocol, places.frameProtocol);
    m_protocolLayout->setRules([](int, int panelHeight, QList<TwipsRect>& p) {
        layout::ProtocolPanelPlaces rules;
        rules.frameExclude = p[2];
        rules.frameProtocol = p[3];
        layout::layoutProtocolPanel(rules, panelHeight);
        p[2] = rules.frameExclude;
        p[3] = rules.frameProtocol;
    });

    thePath = named(new QLineEdit(framePath), u"thePath"_s);
    thePath->installEventFilter(this);
    theButtonSelectFolder = named(new QPushButton(framePath), u"theButtonSelectFolder"_s);
    theButtonSelectFolder->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    theButtonSelectFolder->setIconSize(QSize(20, 20));
    theButtonSelectFolder->setAutoDefault(false);
    theURL1 =
        linkBox(u"theURL1"_s, u"Инструкция по настройке ОС Windows для работы с длинными именами файлов"_s, framePath);
    theURL2 = linkBox(u"theURL2"_s, QString::fromUtf16(kWebPageAddress), framePath);
    theURL1->installEventFilter(this);
    theURL2->installEventFilter(this);
    auto* pathLayout = frameLayout(framePath);
    pathLayout->add(label(u"Label8"_s, u"Папка, куда выгружать документы:"_s, framePath), {0, 90, 2970, 255}, true);
    pathLayout->add(thePath, {0, 405, 6855, 300});
    pathLayout->add(theButtonSelectFolder, {6990, 255, 495, 495});
    pathLayout->add(theURL1, {0, 765, 6300, 210});
    pathLayout->add(label(u"Label9"_s, u"см. на "_s, framePath), {0, 1005, 525, 195}, true);
    pathLayout->add(theURL2, {600, 1005, 2640, 210});
    connect(theButtonSelectFolder, &QPushButton::clicked, this, [this] { theButtonSelectFolder_Click(); });

    theCheckBoxGroupIntoPackages =
        checkBox(u"theCheckBoxGroupIntoPackages"_s,
                 u"- документы, отправленные в пакетах, группировать в папки пакетов"_s, frameExclude);
    theMaxFolderNameLength = numberBox(u"theMaxFolderNameLength"_s, frameExclude);
    theCheckBoxExcludeNegligible =
        checkBox(u"theCheckBoxExcludeNegligible"_s, u"- исключать кавычки и аббревиатуры: АО, ОАО, ООО, ЗАО, ПАО"_s,
                 frameExclude);
    theCheckBoxDateEndYesterday =
        checkBox(u"theCheckBoxDateEndYesterday"_s,
                 u"- автоматически устанавливать конечную дату выгружаемых документов на вчерашнюю"_s, frameExclude);
    theCheckBoxDateBeginMove = checkBox(
        u"theCheckBoxDateBeginMove"_s,
        u"- автоматически устанавливать начальную дату, равной конечной дате предыдущей выгрузки"_s, frameExclude);
    auto* line = named(new QFrame(frameExclude), u"theLine"_s);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* excludeLayout = frameLayout(frameExclude);
    excludeLayout->add(theCheckBoxGroupIntoPackages, {0, 0, 5745, 345}, true);
    excludeLayout->add(label(u"theLabel"_s, u"Сокращать названия папок до "_s, frameExclude), {0, 375, 2385, 195});
    excludeLayout->add(theMaxFolderNameLength, {2445, 345, 390, 300});
    excludeLayout->add(label(u"theLabel6"_s, u"символов"_s, frameExclude), {2910, 375, 750, 195}, true);
    excludeLayout->add(theCheckBoxExcludeNegligible, {0, 600, 5415, 345}, true);
    excludeLayout->add(theCheckBoxDateEndYesterday, {0, 945, 7110, 345}, true);
    excludeLayout->add(theCheckBoxDateBeginMove, {0, 1290, 7500, 345}, true);
    excludeLayout->add(line, {15, 1665, 7455, 30});

    theCheckBoxHtmlProtocol = checkBox(u"theCheckBoxHtmlProtocol"_s, u"- HTML"_s, frameProtocol);
    theCheckBoxExcelProtocol = checkBox(u"theCheckBoxExcelProtocol"_s, u"- MS Excel"_s, frameProtocol);
    theCheckBoxCsvProtocol = checkBox(u"theCheckBoxCsvProtocol"_s, u"- CSV"_s, frameProtocol);
    theCheckBoxCsvProtocol->setToolTip(u"В формате CSV протокол содержит список только выгруженных документов."_s);
    auto* protocolLayout = frameLayout(frameProtocol);
    protocolLayout->add(label(u"Label7"_s, u" Создавать протокол выгрузки в форматах: "_s, frameProtocol),
                        {0, 30, 3300, 195});
    protocolLayout->add(theCheckBoxHtmlProtocol, {3450, 30, 960, 240}, true);
    protocolLayout->add(theCheckBoxExcelProtocol, {4500, 30, 1125, 240}, true);
    protocolLayout->add(theCheckBoxCsvProtocol, {5790, 30, 840, 240}, true);

    m_structure = new FolderStructureEditor(panel, *m_protocolLayout, frameExcludeIndex, *this, m_ui, m_options,
                                            theCheckBoxExcludeNegligible);
    connect(theCheckBoxGroupIntoPackages, &QCheckBox::toggled, this,
            [this](bool on) { m_structure->theCheckBoxGroupIntoPackages_Click(on); });

    QWidget::setTabOrder(thePath, theButtonSelectFolder);
    QWidget::setTabOrder(theButtonSelectFolder, m_structure->combo(0));
    return panel;
}

QWidget* frmOptions::buildDocTypesPanel()
{
    const layout::DocTypesPanelPlaces places;
    auto* panel = named(new QWidget, u"theTabPanelDocTypes"_s);
    theCheckBoxSelectiveDocTypes =
        checkBox(u"theCheckBoxSelectiveDocTypes"_s, u"выгружать документы только указанных типов:"_s, panel);
    m_docTypes = new DocTypesTree(panel, m_ui, m_options, *theToolBars);
    theCheckBoxExcludeMHD =
        checkBox(u"theCheckBoxExcludeMHD"_s,
                 u"- Сохранять файлы МЧД в составе файлов документов (иначе сохранять только ссылки)"_s, panel);
    auto* panelLayout = new TwipsLayout(panel); // owned by the panel
    panelLayout->add(theCheckBoxSelectiveDocTypes, places.checkBoxSelectiveDocTypes, true);
    panelLayout->add(m_docTypes->theTreeDocTypes, places.treeDocTypes);
    panelLayout->add(theCheckBoxExcludeMHD, places.checkBoxExcludeMHD, true);
    panelLayout->setRules([](int panelWidth, int panelHeight, QList<TwipsRect>& p) {
        layout::DocTypesPanelPlaces rules{p[0], p[1], p[2]};
        layout::layoutDocTypesPanel(rules, panelWidth, panelHeight);
        p[1] = rules.treeDocTypes;
        p[2] = rules.checkBoxExcludeMHD;
    });
    // theCheckBoxSelectiveDocTypes_Click
    connect(theCheckBoxSelectiveDocTypes, &QCheckBox::toggled, this,
            [this](bool on) { m_docTypes->RefreshTreeDocTypes(on); });
    return panel;
}

QWidget* frmOptions::buildExcludePanel()
{
    const layout::ExcludePanelPlaces places;
    auto* panel = named(new QWidget, u"theTabPanelExclude"_s);
    auto* labelExclude =
        label(u"theLabelExclude"_s, u"Не выгружать документы, названия которых содержат один из контекстов:"_s, panel);
    m_exclude = new ExclusionListEditor(panel, m_ui, *theToolBars, [this] { return windowTitle(); });
    auto* panelLayout = new TwipsLayout(panel); // owned by the panel
    panelLayout->add(labelExclude, places.labelExclude, true);
    panelLayout->add(m_exclude->theGrid, places.grid);
    panelLayout->add(m_exclude->theToolbar, places.toolbar);
    panelLayout->setRules([](int panelWidth, int panelHeight, QList<TwipsRect>& p) {
        layout::ExcludePanelPlaces rules{p[0], p[1], p[2]};
        layout::layoutExcludePanel(rules, panelWidth, panelHeight);
        p[1] = rules.grid;
        p[2] = rules.toolbar;
    });
    return panel;
}

QWidget* frmOptions::buildMorePanel()
{
    auto* panel = named(new QWidget, u"SSActiveTabPanel1"_s);
    theDaysCount = numberBox(u"theDaysCount"_s, panel);
    theTasksLimit = numberBox(u"theTasksLimit"_s, panel);
    theDocsLimit = numberBox(u"theDocsLimit"_s, panel);
    theLimitDocsInMemory = numberBox(u"theLimitDocsInMemory"_s, panel);
    theTimeOut = numberBox(u"theTimeOut"_s, panel);
    theCheckBoxLoadContentByZip =
        checkBox(u"theCheckBoxLoadContentByZip"_s,
                 u"- Скачивать документы в виде zip-файлов с последующей распаковкой"_s, panel);
    theCheckBoxLogFile = checkBox(u"theCheckBoxLogFile"_s, u"- Создавать Log-файлы для анализа ошибок"_s, panel);
    auto* label1 =
        label(u"Label1"_s,
              u"Не запускать новые запросы списков документов, пока стоит в очередях и/или выгружается более"_s, panel);
    label1->setWordWrap(true);

    auto* panelLayout = new TwipsLayout(panel); // owned by the panel
    panelLayout->add(label(u"Label14"_s, u"Запрашивать списки документов порциями не более, чем по"_s, panel),
                     {90, 210, 4740, 270});
    panelLayout->add(theDaysCount, {5010, 165, 390, 300});
    panelLayout->add(label(u"Label15"_s, u"дней"_s, panel), {5475, 210, 465, 270}, true);
    panelLayout->add(label(u"Label16"_s, u"Количество активных запросов списков документов не более:"_s, panel),
                     {90, 570, 4935, 270});
    panelLayout->add(theTasksLimit, {4995, 525, 390, 300});
    panelLayout->add(label(u"Label17"_s, u"Количество активных запросов документов не более:"_s, panel),
                     {90, 930, 4230, 270});
    panelLayout->add(theDocsLimit, {4995, 885, 390, 300});
    panelLayout->add(label1, {90, 1290, 4050, 465});
    panelLayout->add(theLimitDocsInMemory, {4995, 1335, 390, 300});
    panelLayout->add(label(u"Label2"_s, u"документов"_s, panel), {5475, 1380, 1035, 270}, true);
    panelLayout->add(label(u"Label3"_s, u"Время простоя при неудачных обращениях к DiadocAPI"_s, panel),
                     {90, 1830, 4425, 270});
    panelLayout->add(theTimeOut, {4995, 1785, 390, 300});
    panelLayout->add(label(u"Label4"_s, u"(100 = 1 секунда)"_s, panel), {5475, 1830, 1470, 270}, true);
    panelLayout->add(theCheckBoxLoadContentByZip, {90, 2250, 6795, 345}, true);
    panelLayout->add(theCheckBoxLogFile, {90, 2670, 6795, 345}, true);
    return panel;
}

void frmOptions::Form_Load()
{
    // Every failure here is passed over: the controls keep what they were built with.
    try {
        QComboBox* first = m_structure->combo(0);
        FolderStructureEditor::FillCobmoBox(first, false);
        m_structure->selectItem(0, first->count() - 1);
    } catch (...) {
    }
    try {
        m_exclude->AddData();
    } catch (...) {
    }
}

void frmOptions::Execute(const QList<core::DocTypesProvider*>& aOrgCollection)
{
    try {
        Form_Load();
        setWindowTitle(QString::fromUtf16(core::kApplicationTitle) + u" Настройки"_s);
        m_structure->ReBindStructurePath(m_options.Get_StructurePath());
        thePath->setText(m_options.GetDefault_Path());
        setFlag(theCheckBoxGroupIntoPackages, m_options.Get_GroupIntoPackages());
        theMaxFolderNameLength->setValue(m_options.Get_MaxFolderNameLength());
        setFlag(theCheckBoxExcludeNegligible, m_options.Get_ExcludeNegligible());
        setFlag(theCheckBoxDateEndYesterday, m_options.Get_DateEndYesterday());
        setFlag(theCheckBoxDateBeginMove, m_options.Get_DateBeginMove());
        setFlag(theCheckBoxHtmlProtocol, m_options.Get_HtmlProtocol());
        setFlag(theCheckBoxExcelProtocol, m_options.Get_ExcelProtocol());
        setFlag(theCheckBoxCsvProtocol, m_options.Get_CsvProtocol());
        m_docTypes->ReBindTreeDocTypes(m_options.Get_DocTypes(aOrgCollection, false));
        setFlag(theCheckBoxSelectiveDocTypes, m_options.Get_SelectiveDocTypes());
        m_docTypes->RefreshTreeDocTypes(theCheckBoxSelectiveDocTypes->isChecked());
        // The box speaks of keeping the power-of-attorney files, the option of leaving them out.
        theCheckBoxExcludeMHD->setChecked(m_options.Get_ExcludeMHD() == 0);
        m_exclude->ReBindGridExclude(m_options.Get_DocNamesExclude(false));
        loadNumbers();
        setFlag(theCheckBoxLoadContentByZip, m_options.Get_LoadContentByZip());
        setFlag(theCheckBoxLogFile, m_options.Get_CreateLogFile());
    } catch (...) {
        core::PropagateError(kModule, u"Execute");
    }
    exec();
}

void frmOptions::loadNumbers()
{
    theDaysCount->setValue(m_options.Get_DaysCountLimit());
    theTasksLimit->setValue(m_options.Get_TasksLimit());
    theDocsLimit->setValue(m_options.Get_DocsLimit());
    theLimitDocsInMemory->setValue(m_options.Get_LimitDocsInMemory());
    theTimeOut->setValue(m_options.Get_TimeOut());
}

void frmOptions::theOK_Click()
{
    try {
        // Every option is written, changed or not, and all of them together: a failing write
        // leaves the stored options as they were.
        core::mFetchlingOptions::Transaction transaction(m_options);
        m_options.Set_StructurePath(m_structure->structureText());
        m_exclude->commitEdit();
        m_options.Set_DocNamesExclude(m_exclude->rows().rows());
        m_options.Set_SelectiveDocTypes(flag(theCheckBoxSelectiveDocTypes));
        for (const auto& [key, ticked] : m_docTypes->ticks())
            m_options.Set_DocType(key, ticked);
        m_options.Set_ExcludeMHD(theCheckBoxExcludeMHD->isChecked() ? 0 : 1);
        m_options.Set_Path(thePath->text());
        for (QSpinBox* box :
             {theMaxFolderNameLength, theDaysCount, theTasksLimit, theDocsLimit, theLimitDocsInMemory, theTimeOut})
            box->interpretText();
        m_options.Set_GroupIntoPackages(flag(theCheckBoxGroupIntoPackages));
        m_options.Set_MaxFolderNameLength(theMaxFolderNameLength->value());
        m_options.Set_ExcludeNegligible(flag(theCheckBoxExcludeNegligible));
        m_options.Set_DateEndYesterday(flag(theCheckBoxDateEndYesterday));
        m_options.Set_DateBeginMove(flag(theCheckBoxDateBeginMove));
        m_options.Set_HtmlProtocol(flag(theCheckBoxHtmlProtocol));
        m_options.Set_ExcelProtocol(flag(theCheckBoxExcelProtocol));
        m_options.Set_CsvProtocol(flag(theCheckBoxCsvProtocol));
        m_options.Set_DaysCountLimit(theDaysCount->value());
        m_options.Set_TasksLimit(theTasksLimit->value());
        m_options.Set_DocsLimit(theDocsLimit->value());
        m_options.Set_LimitDocsInMemory(theLimitDocsInMemory->value());
        m_options.Set_TimeOut(theTimeOut->value());
        m_options.Set_LoadContentByZip(flag(theCheckBoxLoadContentByZip));
        m_options.Set_CreateLogFile(flag(theCheckBoxLogFile));
        transaction.commit();
    } catch (...) {
        core::ReportError(m_ui, kModule, u"theOK_Click");
        return;
    }
    done(QDialog::Accepted);
}

void frmOptions::theCancel_Click()
{
    done(QDialog::Rejected);
}

void frmOptions::theDefault_Click()
{
    try {
        using O = core::mFetchlingOptions;
        m_structure->ReBindStructurePath(O::GetDefault_StructurePath());
        setFlag(theCheckBoxGroupIntoPackages, O::GetDefault_Value0());
        theMaxFolderNameLength->setValue(O::GetDefault_Value100());
        setFlag(theCheckBoxExcludeNegligible, O::GetDefault_Value1());
        setFlag(theCheckBoxDateEndYesterday, O::GetDefault_Value0());
        setFlag(theCheckBoxDateBeginMove, O::GetDefault_Value0());
        setFlag(theCheckBoxHtmlProtocol, O::GetDefault_Value1());
        setFlag(theCheckBoxExcelProtocol, O::GetDefault_Value1());
        setFlag(theCheckBoxCsvProtocol, O::GetDefault_Value0());
        setFlag(theCheckBoxSelectiveDocTypes, O::GetDefault_Value0());
        m_docTypes->RefreshTreeDocTypes(theCheckBoxSelectiveDocTypes->isChecked());
        theCheckBoxExcludeMHD->setChecked(false);
        m_exclude->ReBindGridExclude(O::GetDefault_DocNamesExclude());
        theDaysCount->setValue(O::GetDefault_Value0());
        theTasksLimit->setValue(O::GetDefault_Value30());
        theDocsLimit->setValue(O::GetDefault_Value30());
        theLimitDocsInMemory->setValue(O::GetDefault_Value200());
        theTimeOut->setValue(O::GetDefault_Value100());
        setFlag(theCheckBoxLoadContentByZip, O::GetDefault_Value1());
        setFlag(theCheckBoxLogFile, O::GetDefault_Value0());
    } catch (...) {
        core::ReportError(m_ui, kModule, u"theDefault_Click");
    }
}

void frmOptions::CheckPathLen()
{
    try {
        if (thePath->text().size() < kLongPathLength)
            return;
        core::mOther::iMsgBox(m_ui,
                              u"Для корректной работы с файлами с длинными наименованиями пути к ним воспользуйтесь "
                              u"рекомендациями Инструкции по настройке ОС Windows для работы с длинными именами "
                              u"файлов."_s,
                              core::msgbox::vbInformation, windowTitle());
    } catch (...) {
        core::ReportError(m_ui, kModule, u"CheckPathLen");
    }
}

void frmOptions::thePath_LostFocus()
{
    CheckPathLen();
}

void frmOptions::theButtonSelectFolder_Click()
{
    try {
        QString folder = thePath->text();
        if (core::RunSHBrowseForFolder(m_ui, folder, QString::fromUtf16(core::kSelectFolderTitle),
                                       core::BIF_NEWDIALOGSTYLE)) {
            thePath->setText(folder);
            CheckPathLen();
        }
    } catch (...) {
        core::ReportError(m_ui, kModule, u"theButtonSelectFolder_Click");
    }
}

void frmOptions::theURL1_DblClick()
{
    OpenWebPage(QString::fromUtf16(kInstructionAddress));
}

void frmOptions::theURL2_DblClick()
{
    OpenWebPage(theURL2->text());
}

// Only web addresses are opened: the shell would as readily start a program or open a file.
void frmOptions::OpenWebPage(const QString& address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return;
    if (url.scheme() != u"http" && url.scheme() != u"https")
        return;
    m_openUrl(url);
}

void frmOptions::TDBGridArrayed_OnUnboundGetRelativeBookmark(int aCount, const std::optional<int>& aStartLocation,
                                                             int aoffset, std::optional<int>& rNewLocation,
                                                             int& rApproximatePosition, int aBaseIndex)
{
    try {
        dialogs::TDBGridArrayed_OnUnboundGetRelativeBookmark(aCount, aStartLocation, aoffset, rNewLocation,
                                                             rApproximatePosition, aBaseIndex);
    } catch (...) {
        core::PropagateError(kModule, u"TDBGridArrayed_OnUnboundGetRelativeBookmark");
    }
}

void frmOptions::PasteFromClip()
{
    m_exclude->PasteFromClip();
}

void frmOptions::HandleActionCommand(const QString& id)
{
    try {
        if (m_exclude->HandleRowCommand(id))
            return;
        if (id == u"select_all")
            m_docTypes->DoSelectAllTypesDoc();
        else if (id == u"unselect_all")
            m_docTypes->DoUnSelectAllTypesDoc();
        else if (id == u"reverse_all")
            m_docTypes->DoReverseAllTypesDoc();
    } catch (...) {
        core::ReportError(m_ui, kModule, u"HandleActionCommand");
    }
}

void frmOptions::theToolBars_ToolClick(const QString& tool)
{
    if (!tool.isEmpty())
        HandleActionCommand(tool);
}

void frmOptions::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_structure->fitDialog();
}

bool frmOptions::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == thePath && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Leaving the window or opening a menu is no leaving of the box.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            thePath_LostFocus();
    } else if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == theURL1) {
            theURL1_DblClick();
            return true;
        }
        if (watched == theURL2) {
            theURL2_DblClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace dialogs
