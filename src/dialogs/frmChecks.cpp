#include "frmChecks.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>

#include "ChecksLayout.h"
#include "TwipsLayout.h"
#include "core/ApplicationTitle.h"
#include "core/Clock.h"
#include "core/UiServices.h"
#include "core/mErrorHandling.h"
#include "core/widgets/OleColor.h"
#include "platform/diadoc/DiadocClientFactory.h"

using namespace Qt::StringLiterals;
namespace layout = dialogs::checks_layout;

namespace dialogs {

namespace {

constexpr char16_t kModule[] = u"frmChecks";

} // namespace

frmChecks::frmChecks(core::UiServices& ui, platform::diadoc::DiadocClientFactory& factory, const core::Clock& clock,
                     QWidget* parent)
    : QDialog(parent)
    , m_ui(ui)
    , m_factory(factory)
    , m_clock(clock)
{
    setObjectName(u"frmChecks"_s);
    theCaption = new QLabel(u"Проверка (тест) доступа к Диадок"_s, this);
    theCaption->setObjectName(u"theCaption"_s);
    QFont captionFont = theCaption->font();
    captionFont.setBold(true);
    captionFont.setPointSize(12);
    theCaption->setFont(captionFont);
    theCaption->setAlignment(Qt::AlignCenter);
    theRichTextBox = new QTextEdit(this);
    theRichTextBox->setObjectName(u"theRichTextBox"_s);
    theRichTextBox->setReadOnly(true);
    theRichTextBox->setLineWrapMode(QTextEdit::WidgetWidth);
    theClose = new QPushButton(u"Закрыть"_s, this);
    theClose->setObjectName(u"theClose"_s);
    theClose->setAutoDefault(false);
    theStartingTimer.setObjectName(u"theStartingTimer"_s);
    theStartingTimer.setSingleShot(true);

    layout::Places design;
    // The title sizes itself to its text.
    const QSize captionSize = theCaption->sizeHint();
    design.caption.width = pixelsToTwips(captionSize.width());
    design.caption.height = pixelsToTwips(captionSize.height());
    auto* windowLayout = new TwipsLayout(this, QSize(layout::kDesignInnerWidth, layout::kDesignInnerHeight));
    windowLayout->add(theCaption, design.caption);
    windowLayout->add(theClose, design.close);
    windowLayout->add(theRichTextBox, design.richTextBox);
    windowLayout->setRules([](int innerWidth, int innerHeight, QList<TwipsRect>& places) {
        layout::Places p{places[0], places[1], places[2]};
        layout::layout(p, innerWidth, innerHeight);
        places = {p.caption, p.close, p.richTextBox};
    });
    windowLayout->setMinimum([windowLayout] {
        return layout::minimumInner({windowLayout->placeAt(0), windowLayout->placeAt(1), windowLayout->placeAt(2)});
    });

    connect(theClose, &QPushButton::clicked, this, [this] { theClose_Click(); });
    connect(&theStartingTimer, &QTimer::timeout, this, [this] { theStartingTimer_Timer(); });
}

bool frmChecks::Execute(const QString& aKeyDiadocAPI, const QString& aDiadocServerURL, int aAuthorizationType,
                        const QString& aLogin, const QString& aPassword, const QString& aCertificateThumbprint,
                        const QString& aINN)
{
    try {
        setWindowTitle(QString::fromUtf16(core::kApplicationTitle) + u" Проверка"_s);
        m_arguments = {aKeyDiadocAPI, aDiadocServerURL, aAuthorizationType, aLogin, aPassword, aCertificateThumbprint,
                       aINN};
        Form_Load();
        exec();
    } catch (...) {
        core::ReportError(m_ui, kModule, u"Execute");
    }
    return true;
}

void frmChecks::Form_Load()
{
    resize(twipsToPixels(layout::kDesignInnerWidth), twipsToPixels(layout::kDesignInnerHeight));
    theStartingTimer.setInterval(100);
    m_timerEnabled = true;
    theStartingTimer.start();
}

void frmChecks::theStartingTimer_Timer()
{
    if (!m_timerEnabled)
        return;
    m_timerEnabled = false;
    theStartingTimer.stop();
    DoTest();
}

void frmChecks::theClose_Click()
{
    try {
        close();
    } catch (...) {
        core::ReportError(m_ui, kModule, u"theClose_Click");
    }
}

void frmChecks::closeEvent(QCloseEvent* event)
{
    // The test's calls block and let the window process its messages meanwhile: closing it then
    // would pull the window from under the running test.
    if (m_running) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmChecks::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmChecks::DoTest()
{
    m_running = true;
    try {
        runSteps();
    } catch (...) {
        core::ReportError(m_ui, kModule, u"DoTest");
    }
    // However the test ended, the window can be closed again.
    m_running = false;
    theClose->setEnabled(true);
}

void frmChecks::LogAdd(const QString& text, bool success, std::optional<quint32> color, bool bold)
{
    try {
        QTextCharFormat format;
        const quint32 ole = color.value_or(success ? kColorBlack : kColorDarkRed);
        format.setForeground(core::colorFromOle(ole, palette()));
        format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
        QTextCursor cursor(theRichTextBox->document());
        cursor.movePosition(QTextCursor::End);
        QString lines = text + u"\r\n"_s;
        lines.replace(u"\r\n"_s, u"\n"_s);
        cursor.insertText(lines, format);
        theRichTextBox->setTextCursor(cursor);
        theRichTextBox->ensureCursorVisible();
        m_ui.processEvents();
    } catch (...) {
        core::PropagateError(kModule, u"LogAdd");
    }
}

void frmChecks::runSteps()
{
    theClose->setEnabled(false);
    theRichTextBox->clear();
    const diadoc::AccessTest test(m_factory, m_clock);
    test.run(m_arguments, [this](const diadoc::AccessTest::Line& line) {
        using Kind = diadoc::AccessTest::Kind;
        if (line.kind == Kind::Success)
            LogAdd(line.text, true, kColorGreen);
        else
            LogAdd(line.text, line.kind == Kind::Step);
    });
}

} // namespace dialogs
