#include "MainWindowControls.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTabBar>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>

#include "DateBox.h"
#include "MainWindowLayout.h"
#include "RuledContainer.h"
#include "SSSplitter.h"
#include "core/DateText.h"
#include "core/widgets/DProgressBar.h"
#include "dialogs/Twips.h"

using namespace Qt::StringLiterals;

namespace mainwindow {

namespace {

using dialogs::pixelsToTwips;
using dialogs::TwipsRect;
using dialogs::twipsToPixels;

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

QPushButton* button(QWidget* parent, const QString& name, const QString& text)
{
    return named(new QPushButton(text, parent), name);
}

// A check box whose caption wraps onto as many lines as its height holds, as the two-line filter
// boxes need; a click anywhere on it toggles it.
class WrappingCheckBox final : public QCheckBox
{
public:
    using QCheckBox::QCheckBox;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        const QRect captionArea = style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
        const QString caption = option.text;
        option.text.clear();
        painter.drawControl(QStyle::CE_CheckBox, option);
        painter.drawItemText(captionArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, palette(), isEnabled(),
                             caption, QPalette::WindowText);
    }
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

QCheckBox* check(QWidget* parent, const QString& name, const QString& text, bool twoLines = false)
{
    auto* result = named(twoLines ? new WrappingCheckBox(text, parent) : new QCheckBox(text, parent), name);
    result->setChecked(true);
    return result;
}

QDateEdit* dateBox(QWidget* parent, const QString& name)
{
    auto* result = named(new DateBox(parent), name);
    result->setDisplayFormat(QString::fromUtf16(core::kDateFormat));
    result->setCalendarPopup(true);
    return result;
}

QTabBar* tabs(QWidget* parent, const QString& name, const QList<std::pair<QString, QString>>& captionsAndKeys)
{
    auto* result = named(new QTabBar(parent), name);
    result->setExpanding(false);
    // The client area's frame draws the line under the tabs.
    result->setDrawBase(false);
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

// A pane's panel holds its controls where the rules put them; like a picture box, it clips them
// rather than keep the splitter from making it small.
QWidget* panel(const QString& name)
{
    auto* result = named(new QWidget, name);
    result->setMinimumSize(1, 1);
    return result;
}

// The height of a tab strip's row of tabs.
int tabRowHeight(const QTabBar& tabs)
{
    return pixelsToTwips(tabs.sizeHint().height());
}

// The width of a label's text in its font, in twips.
int textWidth(const QLabel& label)
{
    return pixelsToTwips(label.fontMetrics().horizontalAdvance(label.text()));
}

// The frame of a tab strip's client area, drawn as a tab page's frame under the tabs. It takes the
// tab strip's whole place; the row of tabs lies over its top.
class TabClientFrame final : public QWidget
{
public:
    TabClientFrame(const QTabBar& tabs, QWidget* parent)
        : QWidget(parent)
        , m_tabs(tabs)
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionTabWidgetFrame option;
        option.initFrom(this);
        option.shape = QTabBar::RoundedNorth;
        option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
        option.tabBarSize = m_tabs.size();
        option.tabBarRect = QRect(m_tabs.pos() - pos(), m_tabs.size());
        const int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, &m_tabs);
        option.rect = rect().adjusted(0, std::max(0, m_tabs.height() - overlap), 0, 0);
        painter.drawPrimitive(QStyle::PE_FrameTabWidget, option);
    }

private:
    const QTabBar& m_tabs;
};

// Keeps the progress bar and the zip box over their status bar panels: the panels move when the
// window changes its size and when a new memory text changes the width of panel 2.
class StatusBarFollower final : public QObject
{
public:
    StatusBarFollower(const QMainWindow& window, const MainWindowControls& c)
        : QObject(c.theStatusBar)
        , m_window(window)
        , m_statusBar(*c.theStatusBar)
        , m_zipBar(*c.statusPanels[2])
        , m_progressPanel(*c.statusPanels[3])
        , m_progressBar(*c.theProgressBar)
        , m_checkZip(*c.theCheckZip)
    {
        for (QWidget* watched : std::initializer_list<QWidget*>{c.theStatusBar, c.statusPanels[2], c.statusPanels[3]})
            watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
            ResizeProgressBar();
        return QObject::eventFilter(watched, event);
    }

private:
    static layout::StatusPanel panelOf(const QWidget& panel)
    {
        return {pixelsToTwips(panel.x()), pixelsToTwips(panel.width())};
    }

    // The rule places the two controls in the window; they live in the status bar.
    void ResizeProgressBar()
    {
        const QPoint origin = m_statusBar.pos();
        layout::StatusBarPlaces places{dialogs::pixelsToTwips(m_progressBar.geometry().translated(origin)),
                                       dialogs::pixelsToTwips(m_checkZip.geometry().translated(origin))};
        layout::resizeProgressBar(places, dialogs::pixelsToTwips(m_statusBar.geometry()),
                                  pixelsToTwips(m_window.height()), panelOf(m_zipBar), panelOf(m_progressPanel));
        m_progressBar.setGeometry(twipsToPixels(places.progressBar).translated(-origin));
        m_checkZip.setGeometry(twipsToPixels(places.checkZip).translated(-origin));
    }

    const QMainWindow& m_window;
    const QStatusBar& m_statusBar;
    const QWidget& m_zipBar;
    const QWidget& m_progressPanel;
    QWidget& m_progressBar;
    QWidget& m_checkZip;
};

// The design sizes of the containers, in twips.
constexpr QSize kDesignInner{14130, 8970};
constexpr QSize kDesignBox{14130, 600};
constexpr QSize kDesignPath{4425, 1290};
constexpr QSize kDesignFilter{4425, 7185};
constexpr QSize kDesignTasks{9285, 4350};
constexpr QSize kDesignDocs{9285, 4125};

void buildTopBoxes(MainWindowControls& c, QWidget* central)
{
    c.theBoxMessage = named(new QFrame(central), u"theBoxMessage"_s);
    c.theLabelHeader =
        label(c.theBoxMessage, u"theLabelHeader"_s,
              u"На вашем компьютере не установлена компонента DiadocAPI. Без неё утилита работать не может."_s, true);
    c.theLabelHeader->setAlignment(Qt::AlignCenter);
    RuledContainer<layout::MessagePlaces> message(c.theBoxMessage, kDesignBox);
    message.bind(c.theLabelHeader, &layout::MessagePlaces::labelHeader);
    message.setRules([](layout::MessagePlaces& p, int width, int) { layout::layoutMessageBox(p, width); });

    c.theBoxAuthorization = named(new QFrame(central), u"theBoxAuthorization"_s);
    c.theLabelAuthorization = label(c.theBoxAuthorization, u"theLabelAuthorization"_s,
                                    u"Вы не авторизованы в Диадок. Требуется авторизация."_s, true);
    // At its design size from the start: the sign-in may place the label before the window is first
    // laid out.
    c.theBoxAuthorization->setGeometry(
        twipsToPixels(dialogs::TwipsRect{0, 0, kDesignBox.width(), kDesignBox.height()}));
    c.theLabelAuthorization->setWordWrap(true);
    c.theLabelAuthorization->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    c.theButtonAuthorization = button(c.theBoxAuthorization, u"theButtonAuthorization"_s, u"Авторизация"_s);
    c.theButtonOptions = button(c.theBoxAuthorization, u"theButtonOptions"_s, u"Настройки"_s);
    // The label is not bound: the sign-in sets its top and height, and its width follows the first
    // button (SignInLabel).
    RuledContainer<layout::AuthorizationPlaces> authorization(c.theBoxAuthorization, kDesignBox);
    authorization.bind(c.theButtonAuthorization, &layout::AuthorizationPlaces::buttonAuthorization);
    authorization.bind(c.theButtonOptions, &layout::AuthorizationPlaces::buttonOptions);
    authorization.setRules(
        [](layout::AuthorizationPlaces& p, int width, int) { layout::layoutAuthorizationBox(p, width); });
}

void buildPathPanel(MainWindowControls& c)
{
    c.thePanelPath = panel(u"thePanelPath"_s);
    c.Label13 = label(c.thePanelPath, u"Label13"_s, u"Папка, куда выгружать документы:"_s);
    c.thePath = named(new QLineEdit(u"C:\\TEMP"_s, c.thePanelPath), u"thePath"_s);
    c.theButtonSelectFolder = button(c.thePanelPath, u"theButtonSelectFolder"_s, QString());
    c.theButtonSelectFolder->setIcon(c.thePanelPath->style()->standardIcon(QStyle::SP_DirOpenIcon));
    c.theButtonSelectFolder->hide();
    c.theImageVeryLongPath = named(new QLabel(c.thePanelPath), u"theImageVeryLongPath"_s);
    c.theImageVeryLongPath->setPixmap(
        c.thePanelPath->style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(twipsToPixels(240)));
    c.theImageVeryLongPath->setToolTip(u"Большенство программ, включая проводник Windows, не работают с длинными "
                                       u"именами файлов и путей к ним."_s);
    c.theLabelVeryLongPath =
        label(c.thePanelPath, u"theLabelVeryLongPath"_s, u"Использование длинных путей может вызвать проблемы"_s, true);
    c.theLabelVeryLongPath->setWordWrap(true);

    RuledContainer<layout::PathPlaces> path(c.thePanelPath, kDesignPath);
    path.add(c.Label13, {75, 90, 0, 0}, true);
    path.bind(c.thePath, &layout::PathPlaces::path);
    path.bind(c.theButtonSelectFolder, &layout::PathPlaces::buttonSelectFolder);
    // The warning row lies in the part of the panel that only the taller pane shows.
    path.add(c.theImageVeryLongPath, {75, 885, 240, 240});
    path.add(c.theLabelVeryLongPath, {390, 825, 3975, 375});
    const QPushButton* folder = c.theButtonSelectFolder;
    path.setRules(
        [folder](layout::PathPlaces& p, int width, int) { layout::layoutPathPanel(p, width, !folder->isHidden()); });
}

void buildFilterPanel(MainWindowControls& c)
{
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
    c.theOldEndDate->setAlignment(Qt::AlignRight | Qt::AlignTop);
    c.Label12 = label(c.thePanelFilter, u"Label12"_s, u"Организациям/подразделениям"_s);
    c.theTreeViewPersons = named(new QTreeWidget(c.thePanelFilter), u"theTreeViewPersons"_s);
    c.theTreeViewPersons->setHeaderHidden(true);
    c.theCheckFinished = check(c.thePanelFilter, u"theCheckFinished"_s,
                               u"Выгружать только документы с законченным документооборотом"_s, true);
    c.theCheckInternal = check(c.thePanelFilter, u"theCheckInternal"_s, u"Выгружать документы из папки Внутренние"_s);
    c.theCheckRevoked = check(c.thePanelFilter, u"theCheckRevoked"_s, u"Выгружать аннулированные документы"_s);
    c.theCheckSignatureRejected = check(c.thePanelFilter, u"theCheckSignatureRejected"_s,
                                        u"Выгружать документы с отказом ответной подписи"_s, true);
    c.theCheckProtocol = check(c.thePanelFilter, u"theCheckProtocol"_s, u"Выгружать файлы протоколов и их подписей"_s);
    c.theCheckNoSended =
        check(c.thePanelFilter, u"theCheckNoSended"_s, u"Выгружать неотправленные документы - упразднено"_s);
    c.theCheckNoSended->hide();
    c.theCheckDeleted =
        check(c.thePanelFilter, u"theCheckDeleted"_s, u"Выгружать удалённые документы - это НЕ работает"_s);
    c.theCheckDeleted->hide();
    c.theButtonExecute = button(c.thePanelFilter, u"theButtonExecute"_s, u"Остановить выгрузку"_s);
    QFont bold = c.theButtonExecute->font();
    bold.setBold(true);
    c.theButtonExecute->setFont(bold);
    c.theButtonExit = button(c.thePanelFilter, u"theButtonExit"_s, u"Выход"_s);
    c.Command0 = button(c.thePanelFilter, u"Command0"_s, u"Окно авторизации самое первое"_s);
    c.Command1 = button(c.thePanelFilter, u"Command1"_s, u"Окно авторизации с таблицей"_s);
    c.Command2 = button(c.thePanelFilter, u"Command2"_s, u"Окно авторизации с деревом"_s);
    c.Command3 = button(c.thePanelFilter, u"Command3"_s, u"Окно авторизации реализованная оперативно"_s);

    using layout::FilterPlaces;
    RuledContainer<FilterPlaces> filter(c.thePanelFilter, kDesignFilter);
    // Above the tree, rows from the top: the heading (the hidden date-type list at its right),
    // the dates, the former end date under the end date, the tree's caption.
    filter.add(c.Label1, {90, 90, 0, 0}, true);
    filter.add(c.theComboBoxTypeDate, {2700, 45, 1635, 315});
    filter.add(c.Label10, {90, 405, 0, 0}, true);
    filter.add(c.Label17, {645, 390, 270, 255});
    filter.add(c.theDateFrom, {945, 360, 1440, 315});
    filter.add(c.Label11, {2385, 390, 330, 255});
    filter.add(c.theDateTo, {2745, 360, 1440, 315});
    filter.add(c.theOldEndDate, {1785, 705, 2400, 255});
    filter.add(c.Label12, {90, 990, 0, 0}, true);
    filter.bind(c.theTreeViewPersons, &FilterPlaces::tree);
    filter.bind(c.theCheckFinished, &FilterPlaces::checkFinished);
    filter.bind(c.theCheckInternal, &FilterPlaces::checkInternal);
    filter.bind(c.theCheckRevoked, &FilterPlaces::checkRevoked);
    filter.bind(c.theCheckSignatureRejected, &FilterPlaces::checkSignatureRejected);
    filter.bind(c.theCheckProtocol, &FilterPlaces::checkProtocol);
    filter.bind(c.theButtonExecute, &FilterPlaces::buttonExecute);
    filter.bind(c.theButtonExit, &FilterPlaces::buttonExit);
    // Hidden controls that no rule moves.
    filter.add(c.theCheckNoSended, {150, 3750, 4185, 240});
    filter.add(c.theCheckDeleted, {150, 4095, 4185, 240});
    int top = 1230;
    for (QPushButton* developer : {c.Command0, c.Command1, c.Command2, c.Command3}) {
        developer->hide();
        filter.add(developer, {90, top, 4245, 375});
        top += 420;
    }
    filter.setRules([](FilterPlaces& p, int width, int height) { layout::layoutFilterPanel(p, width, height); });
}

void buildTasksPanel(MainWindowControls& c)
{
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
}

void buildDocsPanel(MainWindowControls& c)
{
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
}

// The queue panes: a title row, the tab strip with its grid, and a counter row. The documents
// total stands in the tasks pane's second column, so the documents pane follows that column.
void layOutQueuePanels(const MainWindowControls& c)
{
    auto* tasksFrame = new TabClientFrame(*c.theTabsTasks, c.thePanelTasks);
    auto* docsFrame = new TabClientFrame(*c.theTabsDocs, c.thePanelDocs);
    for (QWidget* frame : {tasksFrame, docsFrame})
        frame->lower();

    using layout::TasksPlaces;
    RuledContainer<TasksPlaces> tasks(c.thePanelTasks, kDesignTasks);
    tasks.bind(c.theLabelTitleTasks, &TasksPlaces::labelTitle, true);
    tasks.bind(c.theLabelEmptyTasks, &TasksPlaces::labelEmpty, true);
    tasks.bind(c.theEmptyTasks, &TasksPlaces::empty);
    tasks.bind(tasksFrame, &TasksPlaces::tabs);
    const int tasksTabRow = tasks.add(c.theTabsTasks, TasksPlaces().tabs);
    tasks.bind(c.theGridTasks, &TasksPlaces::grid);
    tasks.bind(c.theLabelTasksFailureCounter, &TasksPlaces::labelFailureCounter, true);
    tasks.bind(c.theTasksFailureCounter, &TasksPlaces::failureCounter);
    const int secondColumn = tasks.bind(c.theLabelMaxDocsCountInOneList, &TasksPlaces::labelMaxDocsCount, true);
    tasks.bind(c.theMaxDocsCountInOneList, &TasksPlaces::maxDocsCount);

    using layout::DocsPlaces;
    RuledContainer<DocsPlaces> docs(c.thePanelDocs, kDesignDocs);
    docs.bind(c.theLabelTitleDocs, &DocsPlaces::labelTitle, true);
    const int docsCountAll = docs.bind(c.theLabelDocsCountAll, &DocsPlaces::labelCountAll, true);
    docs.bind(c.theDocsCountAll, &DocsPlaces::countAll);
    docs.bind(docsFrame, &DocsPlaces::tabs);
    const int docsTabRow = docs.add(c.theTabsDocs, DocsPlaces().tabs);
    docs.bind(c.theGridDocs, &DocsPlaces::grid);
    docs.bind(c.theLabelDocsFailureCounter, &DocsPlaces::labelFailureCounter, true);
    docs.bind(c.theDocsFailureCounter, &DocsPlaces::failureCounter);

    const QTabBar* tasksBar = c.theTabsTasks;
    const QTabBar* docsBar = c.theTabsDocs;
    dialogs::TwipsLayout* tasksLayout = tasks.layout();
    dialogs::TwipsLayout* docsLayout = docs.layout();
    // The row of tabs lies at the top of the strip's place.
    const auto placeTabRow = [](const QTabBar* bar, int index, const TwipsRect& strip, QList<TwipsRect>& places) {
        places[index] = {strip.left, strip.top, strip.width, tabRowHeight(*bar)};
    };
    const QLabel* failures = c.theTasksFailureCounter;
    const QLabel* maxDocs = c.theMaxDocsCountInOneList;
    tasks.setRules(
        [tasksBar, failures, maxDocs](TasksPlaces& p, int width, int height) {
            layout::layoutTasksPanel(p, width, height, tabRowHeight(*tasksBar));
            layout::fitSecondColumn(p, width, textWidth(*failures), textWidth(*maxDocs));
        },
        [=](const TasksPlaces& p, QList<TwipsRect>& places) {
            placeTabRow(tasksBar, tasksTabRow, p.tabs, places);
            if (docsLayout->placeAt(docsCountAll).left != p.labelMaxDocsCount.left)
                docsLayout->invalidate();
        });
    docs.setRules(
        [docsBar, tasksLayout, secondColumn](DocsPlaces& p, int width, int height) {
            layout::layoutDocsPanel(p, width, height, tabRowHeight(*docsBar), tasksLayout->placeAt(secondColumn).left);
        },
        [=](const DocsPlaces& p, QList<TwipsRect>& places) { placeTabRow(docsBar, docsTabRow, p.tabs, places); });
}

// The status bar: run times, memory, the zip caption beside its box, status texts. Panel 1 keeps
// its built width; panel 2 grows with its memory text, which moves the panels after it; "ZipBar"
// holds the zip box and its caption; "ProgressBar" takes the rest. The progress bar and the zip
// box float over the last two.
void buildStatusBar(MainWindowControls& c, QMainWindow& window)
{
    c.theStatusBar = named(new QStatusBar(&window), u"theStatusBar"_s);
    c.theStatusBar->setSizeGripEnabled(false);
    c.theStatusBar->setFixedHeight(twipsToPixels(360));
    // The window has no least width: a narrow one clips the panels rather than keep its width.
    c.theStatusBar->setMinimumWidth(1);
    c.theCheckZip = named(new QCheckBox(c.theStatusBar), u"theCheckZip"_s);
    c.theCheckZip->setChecked(false);
    c.theCheckZip->setEnabled(false);
    // The style's box may be wider than the design's 165 twips; it must not be cut.
    c.theCheckZip->resize(std::max(twipsToPixels(165), c.theCheckZip->sizeHint().width()), twipsToPixels(270));

    const QString panelNames[4] = {u"StatusPanel1"_s, u"StatusPanel2"_s, u"ZipBar"_s, u"ProgressBar"_s};
    const QString panelTexts[4] = {QString(), u"Используется 1 999МБ ОЗУ (пик 2 999МБ) "_s, u"    zip "_s, QString()};
    const int panelWidths[4] = {1500, 3390, 510, 1440};
    for (int i = 0; i < 4; ++i) {
        QLabel* panel = label(c.theStatusBar, panelNames[i], panelTexts[i]);
        c.statusPanels[i] = panel;
        panel->setToolTip(panelTexts[i]);
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setMinimumWidth(twipsToPixels(panelWidths[i]));
        c.theStatusBar->addPermanentWidget(panel, i == 3 ? 1 : 0);
    }
    // The run's span, "23:59:59 - 23:59:59" at its longest, is wider in the program's type than the
    // design's 1500 twips: the panel takes what the text needs.
    QLabel* times = c.statusPanels[0];
    times->setText(u"00:00:00 - 00:00:00"_s);
    times->setFixedWidth(std::max(twipsToPixels(1500), times->sizeHint().width()));
    times->clear();
    // The zip box covers the blanks that open the caption; the caption stands at the panel's right
    // end, clear of the box whatever the type.
    QLabel* zipBar = c.statusPanels[2];
    zipBar->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const int zipCaption = zipBar->fontMetrics().horizontalAdvance(u"zip "_s);
    const int zipRoom = twipsToPixels(60) + c.theCheckZip->width() + twipsToPixels(60) + zipCaption;
    zipBar->setFixedWidth(std::max(twipsToPixels(510), zipRoom + 2 * zipBar->frameWidth()));

    c.theProgressBar = named(new core::DProgressBar(c.theStatusBar), u"theProgressBar"_s);
    c.theProgressBar->setText(u"Идёт процесс..."_s);
    c.theProgressBar->setValue(100);
    c.theProgressBar->resize(twipsToPixels(8580), twipsToPixels(270));
    c.theProgressBar->hide();
    c.theCheckZip->raise();
    c.theProgressBar->raise();
    window.setStatusBar(c.theStatusBar);
    new StatusBarFollower(window, c);
}

} // namespace

MainWindowControls MainWindowControls::build(QMainWindow& window)
{
    MainWindowControls c;
    // The places are those of the design, made for an 8-point type; a larger one would not fit them.
    QFont font = window.font();
    font.setPointSize(8);
    font.setStretch(QFont::SemiCondensed);
    window.setFont(font);
    buildStatusBar(c, window);
    auto* central = named(new QWidget(&window), u"theCentralArea"_s);
    buildTopBoxes(c, central);
    buildPathPanel(c);
    buildFilterPanel(c);
    buildTasksPanel(c);
    buildDocsPanel(c);
    layOutQueuePanels(c);
    c.theSSSplitter = named(new SSSplitter(c.thePanelTasks, c.thePanelDocs, c.thePanelPath, c.thePanelFilter, central),
                            u"theSSSplitter"_s);
    // The bars between the panes are 90 thick.
    for (QSplitter* bars : c.theSSSplitter->findChildren<QSplitter*>())
        bars->setHandleWidth(twipsToPixels(90));

    // The window's area above the status bar: the two top boxes on the same place, the splitter
    // filling the rest. The status bar counts in the window's inner height, as the rules see it.
    using layout::WindowPlaces;
    RuledContainer<WindowPlaces> area(central, kDesignInner - QSize(0, 360));
    area.bind(c.theBoxMessage, &WindowPlaces::boxMessage);
    area.bind(c.theBoxAuthorization, &WindowPlaces::boxAuthorization);
    area.bind(c.theSSSplitter, &WindowPlaces::splitter);
    const QStatusBar* statusBar = c.theStatusBar;
    const QWidget* signInBox = c.theBoxAuthorization;
    const QLabel* signInText = c.theLabelAuthorization;
    area.setRules([statusBar, signInBox, signInText](WindowPlaces& p, int width, int height) {
        // A sign-in text longer than its place makes the strip taller rather than lose its end; the
        // text is as wide as the strip's rules make it at this width.
        int strip = WindowPlaces().boxMessage.height;
        if (!signInBox->isHidden()) {
            layout::AuthorizationPlaces signIn;
            layout::layoutAuthorizationBox(signIn, width);
            const int textHeight = signInText->heightForWidth(twipsToPixels(signIn.labelAuthorization.width));
            if (textHeight > 0)
                strip = layout::topStripHeight(pixelsToTwips(signInText->y()), pixelsToTwips(textHeight));
        }
        p.boxMessage.height = strip;
        p.boxAuthorization.height = strip;
        const int bar = pixelsToTwips(statusBar->height());
        layout::layoutWindow(p, width, height + bar, bar);
    });
    // The least inner height of the window, the status bar included; no least width.
    area.layout()->setMinimum(
        [statusBar] { return QSize(0, layout::kMinimumInnerHeight - pixelsToTwips(statusBar->height())); });
    window.setCentralWidget(central);

    c.thePopupMenu = named(new QMenu(&window), u"popup"_s);
    c.thePopupMenu->addAction(u"Подробности"_s)->setObjectName(u"details"_s);

    c.theStartingTimer = named(new QTimer(&window), u"theStartingTimer"_s);
    c.theTimerStatusBar = named(new QTimer(&window), u"theTimerStatusBar"_s);
    c.theTimerStatusBar->setInterval(1000);
    return c;
}

} // namespace mainwindow
