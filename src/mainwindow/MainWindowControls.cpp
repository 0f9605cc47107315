#include "MainWindowControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "SSSplitter.h"
#include "core/widgets/DProgressBar.h"
#include "core/widgets/mN7GraphLight.h"

using namespace Qt::StringLiterals;

namespace mainwindow {

namespace {

int pixelsX(int twips)
{
    return twips / core::TwipsPerPixelX();
}

int pixelsY(int twips)
{
    return twips / core::TwipsPerPixelY();
}

template <typename T> T* named(T* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, bool bold = false)
{
    auto* result = named(new QLabel(text, parent), name);
    if (bold) {
        QFont font = result->font();
        font.setBold(true);
        result->setFont(font);
    }
    return result;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& text, int widthTwips = 0, int heightTwips = 0)
{
    auto* result = named(new QPushButton(text, parent), name);
    if (widthTwips > 0)
        result->setMinimumSize(pixelsX(widthTwips), pixelsY(heightTwips));
    return result;
}

QCheckBox* check(QWidget* parent, const QString& name, const QString& text)
{
    auto* result = named(new QCheckBox(text, parent), name);
    result->setChecked(true);
    return result;
}

QDateEdit* dateBox(QWidget* parent, const QString& name)
{
    auto* result = named(new QDateEdit(parent), name);
    result->setDisplayFormat(u"dd.MM.yyyy"_s);
    result->setCalendarPopup(true);
    return result;
}

QTabBar* tabs(QWidget* parent, const QString& name, const QList<std::pair<QString, QString>>& captionsAndKeys)
{
    auto* result = named(new QTabBar(parent), name);
    result->setExpanding(false);
    for (const auto& [caption, key] : captionsAndKeys)
        result->setTabData(result->addTab(caption), key);
    return result;
}

QTableView* grid(QWidget* parent, const QString& name, const QStringList& columns)
{
    auto* result = named(new QTableView(parent), name);
    auto* model = new QStandardItemModel(0, static_cast<int>(columns.size()), result);
    model->setHorizontalHeaderLabels(columns);
    result->setModel(model);
    result->verticalHeader()->setVisible(false);
    result->setSelectionBehavior(QAbstractItemView::SelectRows);
    result->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return result;
}

// A pane's panel holds its controls where they are built; like a picture box, it clips them
// rather than keep the splitter from making it small.
QWidget* panel(const QString& name)
{
    auto* result = named(new QWidget, name);
    result->setMinimumSize(1, 1);
    return result;
}

} // namespace

MainWindowControls MainWindowControls::build(QMainWindow& window)
{
    MainWindowControls c;
    auto* central = named(new QWidget(&window), u"theCentralArea"_s);
    auto* centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->setSpacing(0);

    // The top strip: two boxes 600 twips high on the same place; the load shows one of them.
    c.theBoxMessage = named(new QFrame(central), u"theBoxMessage"_s);
    c.theBoxMessage->setFixedHeight(pixelsY(600));
    c.theLabelHeader =
        label(c.theBoxMessage, u"theLabelHeader"_s,
              u"На вашем компьютере не установлена компонента DiadocAPI. Без неё утилита работать не может."_s, true);
    c.theLabelHeader->setAlignment(Qt::AlignCenter);
    c.theLabelHeader->setWordWrap(true);
    (new QVBoxLayout(c.theBoxMessage))->addWidget(c.theLabelHeader);

    c.theBoxAuthorization = named(new QFrame(central), u"theBoxAuthorization"_s);
    c.theBoxAuthorization->setFixedHeight(pixelsY(600));
    c.theLabelAuthorization = label(c.theBoxAuthorization, u"theLabelAuthorization"_s,
                                    u"Вы не авторизованы в Диадок. Требуется авторизация."_s, true);
    c.theLabelAuthorization->setWordWrap(true);
    c.theButtonAuthorization = button(c.theBoxAuthorization, u"theButtonAuthorization"_s, u"Авторизация"_s, 1455, 375);
    c.theButtonOptions = button(c.theBoxAuthorization, u"theButtonOptions"_s, u"Настройки"_s, 1455, 375);
    // The buttons stand at the right end of the strip, 90 from its top, 105 from its edge and 105
    // apart; the label is left out of the layout, since the sign-in sets its top and height.
    c.theLabelAuthorization->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* authorizationLayout = new QHBoxLayout(c.theBoxAuthorization);
    authorizationLayout->setContentsMargins(pixelsX(105), pixelsY(90), pixelsX(105), 0);
    authorizationLayout->setSpacing(pixelsX(105));
    authorizationLayout->addStretch(1);
    authorizationLayout->addWidget(c.theButtonAuthorization, 0, Qt::AlignTop);
    authorizationLayout->addWidget(c.theButtonOptions, 0, Qt::AlignTop);
    centralLayout->addWidget(c.theBoxMessage);
    centralLayout->addWidget(c.theBoxAuthorization);

    // Pane "Pane Path".
    c.thePanelPath = panel(u"thePanelPath"_s);
    c.Label13 = label(c.thePanelPath, u"Label13"_s, u"Папка, куда выгружать документы:"_s);
    c.thePath = named(new QLineEdit(u"C:\\TEMP"_s, c.thePanelPath), u"thePath"_s);
    c.theButtonSelectFolder = button(c.thePanelPath, u"theButtonSelectFolder"_s, QString());
    c.theButtonSelectFolder->setIcon(c.thePanelPath->style()->standardIcon(QStyle::SP_DirOpenIcon));
    c.theButtonSelectFolder->setFixedSize(pixelsX(495), pixelsY(375));
    c.theButtonSelectFolder->hide();
    c.theImageVeryLongPath = named(new QLabel(c.thePanelPath), u"theImageVeryLongPath"_s);
    c.theImageVeryLongPath->setPixmap(
        c.thePanelPath->style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(pixelsX(240), pixelsY(240)));
    c.theImageVeryLongPath->setToolTip(u"Большенство программ, включая проводник Windows, не работают с длинными "
                                       u"именами файлов и путей к ним."_s);
    c.theLabelVeryLongPath =
        label(c.thePanelPath, u"theLabelVeryLongPath"_s, u"Использование длинных путей может вызвать проблемы"_s, true);
    auto* pathLayout = new QGridLayout(c.thePanelPath);
    pathLayout->setContentsMargins(pixelsX(75), 2, pixelsX(60), 2);
    pathLayout->setVerticalSpacing(2);
    pathLayout->addWidget(c.Label13, 0, 0, 1, 2);
    pathLayout->addWidget(c.thePath, 1, 0);
    pathLayout->addWidget(c.theButtonSelectFolder, 1, 1);
    auto* warningRow = new QHBoxLayout;
    warningRow->addWidget(c.theImageVeryLongPath);
    warningRow->addWidget(c.theLabelVeryLongPath, 1);
    pathLayout->addLayout(warningRow, 2, 0, 1, 2);
    pathLayout->setRowStretch(3, 1);

    // Pane "Pane Filters".
    c.thePanelFilter = panel(u"thePanelFilter"_s);
    c.Label1 = label(c.thePanelFilter, u"Label1"_s, u"Запрашивать документы по:"_s);
    c.theComboBoxTypeDate = named(new QComboBox(c.thePanelFilter), u"theComboBoxTypeDate"_s);
    c.theComboBoxTypeDate->hide();
    c.Label10 = label(c.thePanelFilter, u"Label10"_s, u"Датам"_s);
    c.Label17 = label(c.thePanelFilter, u"Label17"_s, u"с:"_s);
    c.Label17->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    c.theDateFrom = dateBox(c.thePanelFilter, u"theDateFrom"_s);
    c.Label11 = label(c.thePanelFilter, u"Label11"_s, u"по:"_s);
    c.Label11->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    c.theDateTo = dateBox(c.thePanelFilter, u"theDateTo"_s);
    c.theOldEndDate = label(c.thePanelFilter, u"theOldEndDate"_s, u"(ранее по 26.05.2023)"_s);
    c.Label12 = label(c.thePanelFilter, u"Label12"_s, u"Организациям/подразделениям"_s);
    c.theTreeViewPersons = named(new QTreeWidget(c.thePanelFilter), u"theTreeViewPersons"_s);
    c.theTreeViewPersons->setHeaderHidden(true);
    c.theCheckFinished =
        check(c.thePanelFilter, u"theCheckFinished"_s, u"Выгружать только документы с законченным документооборотом"_s);
    c.theCheckInternal = check(c.thePanelFilter, u"theCheckInternal"_s, u"Выгружать документы из папки Внутренние"_s);
    c.theCheckRevoked = check(c.thePanelFilter, u"theCheckRevoked"_s, u"Выгружать аннулированные документы"_s);
    c.theCheckSignatureRejected =
        check(c.thePanelFilter, u"theCheckSignatureRejected"_s, u"Выгружать документы с отказом ответной подписи"_s);
    c.theCheckProtocol = check(c.thePanelFilter, u"theCheckProtocol"_s, u"Выгружать файлы протоколов и их подписей"_s);
    c.theCheckNoSended =
        check(c.thePanelFilter, u"theCheckNoSended"_s, u"Выгружать неотправленные документы - упразднено"_s);
    c.theCheckNoSended->hide();
    c.theCheckDeleted =
        check(c.thePanelFilter, u"theCheckDeleted"_s, u"Выгружать удалённые документы - это НЕ работает"_s);
    c.theCheckDeleted->hide();
    c.theButtonExecute = button(c.thePanelFilter, u"theButtonExecute"_s, u"Остановить выгрузку"_s, 2400, 500);
    QFont bold = c.theButtonExecute->font();
    bold.setBold(true);
    c.theButtonExecute->setFont(bold);
    c.theButtonExit = button(c.thePanelFilter, u"theButtonExit"_s, u"Выход"_s, 1200, 500);
    c.Command0 = button(c.thePanelFilter, u"Command0"_s, u"Окно авторизации самое первое"_s);
    c.Command1 = button(c.thePanelFilter, u"Command1"_s, u"Окно авторизации с таблицей"_s);
    c.Command2 = button(c.thePanelFilter, u"Command2"_s, u"Окно авторизации с деревом"_s);
    c.Command3 = button(c.thePanelFilter, u"Command3"_s, u"Окно авторизации реализованная оперативно"_s);
    for (QPushButton* developer : {c.Command0, c.Command1, c.Command2, c.Command3})
        developer->hide();

    auto* filterLayout = new QVBoxLayout(c.thePanelFilter);
    filterLayout->setContentsMargins(pixelsX(90), 4, pixelsX(45), pixelsY(105));
    filterLayout->addWidget(c.Label1);
    filterLayout->addWidget(c.theComboBoxTypeDate);
    auto* datesRow = new QHBoxLayout;
    datesRow->addWidget(c.Label10);
    datesRow->addWidget(c.Label17);
    datesRow->addWidget(c.theDateFrom);
    datesRow->addWidget(c.Label11);
    datesRow->addWidget(c.theDateTo);
    datesRow->addStretch(1);
    filterLayout->addLayout(datesRow);
    filterLayout->addWidget(c.theOldEndDate, 0, Qt::AlignRight);
    filterLayout->addWidget(c.Label12);
    filterLayout->addWidget(c.theTreeViewPersons, 1);
    for (QCheckBox* box : {c.theCheckFinished, c.theCheckInternal, c.theCheckRevoked, c.theCheckSignatureRejected,
                           c.theCheckProtocol, c.theCheckNoSended, c.theCheckDeleted})
        filterLayout->addWidget(box);
    auto* buttonsRow = new QHBoxLayout;
    buttonsRow->addStretch(1);
    buttonsRow->addWidget(c.theButtonExecute);
    buttonsRow->addSpacing(pixelsX(105));
    buttonsRow->addWidget(c.theButtonExit);
    buttonsRow->addStretch(1);
    filterLayout->addLayout(buttonsRow);
    for (QPushButton* developer : {c.Command0, c.Command1, c.Command2, c.Command3})
        filterLayout->addWidget(developer);

    // Pane "Pane Tasks".
    c.thePanelTasks = panel(u"thePanelTasks"_s);
    c.theLabelTitleTasks = label(c.thePanelTasks, u"theLabelTitleTasks"_s, u"Запросы списков документов: "_s, true);
    c.theLabelEmptyTasks =
        label(c.thePanelTasks, u"theLabelEmptyTasks"_s, u"Выполнено с пустым списком документов: "_s);
    c.theEmptyTasks = label(c.thePanelTasks, u"theEmptyTasks"_s, u"0"_s);
    c.theTabsTasks = tabs(c.thePanelTasks, u"theTabsTasks"_s,
                          {{u"На запуск (0)"_s, u"MainQueue"_s},
                           {u"На повторный запуск (0)"_s, u"SecondaryQueue"_s},
                           {u"Выполняются (0)"_s, u"ExecutingList"_s},
                           {u"Выполнены (0)"_s, u"ExecutedList"_s}});
    c.theGridTasks =
        grid(c.thePanelTasks, u"theGridTasks"_s,
             {u"Количество документов"_s, u"Причина постановки в очередь на повторный запуск"_s,
              u"Организация, подразделение"_s, u"Период"_s, u"Тип документов"_s, u"Вх., исх., внутренний"_s,
              u"Статус документов"_s, u"Причина неудачи предыдущей попытки  запроса"_s});
    c.theLabelTasksFailureCounter =
        label(c.thePanelTasks, u"theLabelTasksFailureCounter"_s, u"Справочно: Счетчик неудачных попыток запросов: "_s);
    c.theTasksFailureCounter = label(c.thePanelTasks, u"theTasksFailureCounter"_s, u"0"_s);
    c.theLabelMaxDocsCountInOneList = label(c.thePanelTasks, u"theLabelMaxDocsCountInOneList"_s,
                                            u"Максимальное количество документов в одном списке: "_s);
    c.theMaxDocsCountInOneList = label(c.thePanelTasks, u"theMaxDocsCountInOneList"_s, u"0"_s);
    for (QLabel* count : {c.theEmptyTasks, c.theTasksFailureCounter, c.theMaxDocsCountInOneList})
        count->setFixedWidth(pixelsX(990));
    auto* tasksLayout = new QGridLayout(c.thePanelTasks);
    tasksLayout->setContentsMargins(pixelsX(90), 4, 4, 4);
    tasksLayout->setHorizontalSpacing(0);
    tasksLayout->addWidget(c.theLabelTitleTasks, 0, 0);
    tasksLayout->addWidget(c.theLabelEmptyTasks, 0, 2);
    tasksLayout->addWidget(c.theEmptyTasks, 0, 3);
    auto* tasksQueue = new QVBoxLayout;
    tasksQueue->setSpacing(0);
    tasksQueue->addWidget(c.theTabsTasks);
    tasksQueue->addWidget(c.theGridTasks, 1);
    tasksLayout->addLayout(tasksQueue, 1, 0, 1, 5);
    tasksLayout->addWidget(c.theLabelTasksFailureCounter, 2, 0);
    tasksLayout->addWidget(c.theTasksFailureCounter, 2, 1);
    tasksLayout->addWidget(c.theLabelMaxDocsCountInOneList, 2, 2);
    tasksLayout->addWidget(c.theMaxDocsCountInOneList, 2, 3);
    tasksLayout->setColumnStretch(4, 1);
    tasksLayout->setRowStretch(1, 1);

    // Pane "Pane Docs".
    c.thePanelDocs = panel(u"thePanelDocs"_s);
    c.theLabelTitleDocs = label(c.thePanelDocs, u"theLabelTitleDocs"_s, u"Запросы документов: "_s, true);
    c.theLabelDocsCountAll = label(c.thePanelDocs, u"theLabelDocsCountAll"_s, u"Обнаружено документов всего: "_s, true);
    c.theDocsCountAll = label(c.thePanelDocs, u"theDocsCountAll"_s, u"0"_s);
    c.theTabsDocs = tabs(c.thePanelDocs, u"theTabsDocs"_s,
                         {{u"На выгрузку (0)"_s, u"MainQueue"_s},
                          {u"На повтор попытки выгрузки (0)"_s, u"SecondaryQueue"_s},
                          {u"Выгружаются (0)"_s, u"UnloadingList"_s},
                          {u"Выгружены (0)"_s, u"UnloadedList"_s},
                          {u"Не выгружены (0)"_s, u"IgnoredList"_s}});
    c.theGridDocs = grid(c.thePanelDocs, u"theGridDocs"_s,
                         {u"Id документа"_s, u"Причина постановки в очередь на повторную попытку выгрузки"_s,
                          u"Получен или отправлен"_s, u"Организация, подразделение"_s, u"Дата документа"_s, u"Номер"_s,
                          u"Название"_s, u"Тип"_s, u"Вх., исх., внутренний"_s, u"Статусы"_s,
                          u"Причина неудачи предыдущей попытки выгрузки"_s});
    c.theLabelDocsFailureCounter =
        label(c.thePanelDocs, u"theLabelDocsFailureCounter"_s, u"Справочно: Счетчик неудачных попыток выгрузок: "_s);
    c.theDocsFailureCounter = label(c.thePanelDocs, u"theDocsFailureCounter"_s, u"0"_s);
    for (QLabel* count : {c.theDocsCountAll, c.theDocsFailureCounter})
        count->setFixedWidth(pixelsX(990));
    auto* docsLayout = new QGridLayout(c.thePanelDocs);
    docsLayout->setContentsMargins(pixelsX(60), 4, 4, 4);
    docsLayout->setHorizontalSpacing(0);
    docsLayout->addWidget(c.theLabelTitleDocs, 0, 0);
    docsLayout->addWidget(c.theLabelDocsCountAll, 0, 2);
    docsLayout->addWidget(c.theDocsCountAll, 0, 3);
    auto* docsQueue = new QVBoxLayout;
    docsQueue->setSpacing(0);
    docsQueue->addWidget(c.theTabsDocs);
    docsQueue->addWidget(c.theGridDocs, 1);
    docsLayout->addLayout(docsQueue, 1, 0, 1, 5);
    docsLayout->addWidget(c.theLabelDocsFailureCounter, 2, 0);
    docsLayout->addWidget(c.theDocsFailureCounter, 2, 1);
    docsLayout->setColumnStretch(4, 1);
    docsLayout->setRowStretch(1, 1);

    c.theSSSplitter = named(new SSSplitter(c.thePanelTasks, c.thePanelDocs, c.thePanelPath, c.thePanelFilter, central),
                            u"theSSSplitter"_s);
    centralLayout->addWidget(c.theSSSplitter, 1);
    window.setCentralWidget(central);

    // The status bar: run times, memory, the zip caption beside its box, status texts; the progress
    // bar covers the last panel while protocols are written.
    c.theStatusBar = named(new QStatusBar(&window), u"theStatusBar"_s);
    c.theStatusBar->setSizeGripEnabled(false);
    const QString panelNames[4] = {u"StatusPanel1"_s, u"StatusPanel2"_s, u"ZipBar"_s, u"ProgressBar"_s};
    const QString panelTexts[4] = {QString(), u"Используется 1 999МБ ОЗУ (пик 2 999МБ) "_s, u"    zip "_s, QString()};
    // Panels 1 and 2 keep their built widths; "ZipBar" may shrink to 500 and "ProgressBar" to 1440.
    const int panelWidths[4] = {1500, 3390, 500, 1440};
    c.theCheckZip = named(new QCheckBox(c.theStatusBar), u"theCheckZip"_s);
    c.theCheckZip->setChecked(false);
    c.theCheckZip->setEnabled(false);
    c.theProgressBar = named(new core::DProgressBar(c.theStatusBar), u"theProgressBar"_s);
    c.theProgressBar->setText(u"Идёт процесс..."_s);
    c.theProgressBar->setValue(100);
    c.theProgressBar->setFixedHeight(pixelsY(270));
    for (int i = 0; i < 4; ++i) {
        c.statusPanels[i] = label(c.theStatusBar, panelNames[i], panelTexts[i]);
        c.statusPanels[i]->setMinimumWidth(pixelsX(panelWidths[i]));
        c.statusPanels[i]->setToolTip(panelTexts[i]);
        c.statusPanels[i]->setFrameShape(QFrame::StyledPanel);
        if (i == 2)
            c.theStatusBar->addPermanentWidget(c.theCheckZip);
        c.theStatusBar->addPermanentWidget(c.statusPanels[i], i == 3 ? 1 : 0);
    }
    c.theStatusBar->addPermanentWidget(c.theProgressBar, 1);
    c.theProgressBar->hide();
    window.setStatusBar(c.theStatusBar);

    c.thePopupMenu = named(new QMenu(&window), u"popup"_s);
    c.thePopupMenu->addAction(u"Подробности"_s)->setObjectName(u"details"_s);

    c.theStartingTimer = named(new QTimer(&window), u"theStartingTimer"_s);
    c.theTimerStatusBar = named(new QTimer(&window), u"theTimerStatusBar"_s);
    c.theTimerStatusBar->setInterval(1000);
    return c;
}

} // namespace mainwindow
