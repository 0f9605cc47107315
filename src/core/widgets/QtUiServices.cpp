#include "QtUiServices.h"

#include <cstdio>

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include "platform/family/widgets/ErrorDialogWindow.h"
#include "platform/family/widgets/SplashWindowCloser.h"

using namespace Qt::StringLiterals;

namespace core {

namespace {

QMessageBox::StandardButton standardButtonOf(int answer)
{
    switch (answer) {
    case msgbox::vbOK:
        return QMessageBox::Ok;
    case msgbox::vbCancel:
        return QMessageBox::Cancel;
    case msgbox::vbAbort:
        return QMessageBox::Abort;
    case msgbox::vbRetry:
        return QMessageBox::Retry;
    case msgbox::vbIgnore:
        return QMessageBox::Ignore;
    case msgbox::vbYes:
        return QMessageBox::Yes;
    case msgbox::vbNo:
        return QMessageBox::No;
    default:
        return QMessageBox::NoButton;
    }
}

QMessageBox::Icon iconOf(int style)
{
    switch (style & msgbox::kIconMask) {
    case msgbox::vbCritical:
        return QMessageBox::Critical;
    case msgbox::vbQuestion:
        return QMessageBox::Question;
    case msgbox::vbExclamation:
        return QMessageBox::Warning;
    case msgbox::vbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QString answerName(int answer)
{
    switch (answer) {
    case msgbox::vbOK:
        return u"OK"_s;
    case msgbox::vbCancel:
        return u"Cancel"_s;
    case msgbox::vbAbort:
        return u"Abort"_s;
    case msgbox::vbRetry:
        return u"Retry"_s;
    case msgbox::vbIgnore:
        return u"Ignore"_s;
    case msgbox::vbYes:
        return u"Yes"_s;
    case msgbox::vbNo:
        return u"No"_s;
    default:
        return QString::number(answer);
    }
}

} // namespace

QtUiServices::QtUiServices(bool unattended, QWidget* parent)
    : m_unattended(unattended)
    , m_parent(parent)
{
}

QtUiServices::~QtUiServices()
{
    setMousePointer(MousePointer::Default);
}

void QtUiServices::writeUnattended(const QString& title, const QString& text, const QString& answer) const
{
    const QString line = title + u": "_s + text + u" -> "_s + answer;
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    if (m_sink)
        m_sink(line);
}

int QtUiServices::msgBox(const QString& prompt, int style, const QString& title)
{
    if (m_unattended) {
        const int answer = msgbox::defaultAnswer(style);
        writeUnattended(title, prompt, answerName(answer));
        return answer;
    }
    QMessageBox box(iconOf(style), title, prompt, QMessageBox::NoButton, m_parent);
    const int count = msgbox::buttonCount(style);
    for (int position = 0; position < count; ++position)
        box.addButton(standardButtonOf(msgbox::buttonAnswer(style, position)));
    box.setDefaultButton(standardButtonOf(msgbox::defaultAnswer(style)));
    const int clicked = box.exec();
    for (int position = 0; position < count; ++position) {
        const int answer = msgbox::buttonAnswer(style, position);
        if (clicked == standardButtonOf(answer))
            return answer;
    }
    // Closing the box with Escape or its frame button answers Cancel where there is one.
    for (int position = 0; position < count; ++position) {
        if (msgbox::buttonAnswer(style, position) == msgbox::vbCancel)
            return msgbox::vbCancel;
    }
    return msgbox::defaultAnswer(style);
}

QString QtUiServices::inputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    if (m_unattended) {
        writeUnattended(title, prompt, defaultText);
        return defaultText;
    }
    bool accepted = false;
    const QString text = QInputDialog::getText(m_parent, title, prompt, QLineEdit::Normal, defaultText, &accepted);
    return accepted ? text : QString();
}

QString QtUiServices::browseForFolder(const QString& title, const QString& startFolder)
{
    if (m_unattended) {
        writeUnattended(title, startFolder, QString());
        return {};
    }
    return QFileDialog::getExistingDirectory(m_parent, title, startFolder);
}

void QtUiServices::setMousePointer(MousePointer pointer)
{
    if (pointer == m_pointer)
        return;
    if (m_pointer != MousePointer::Default && qApp)
        QApplication::restoreOverrideCursor();
    m_pointer = pointer;
    if (pointer == MousePointer::Hourglass && qApp)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (pointer == MousePointer::Arrow && qApp)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
}

void QtUiServices::processEvents()
{
    QCoreApplication::processEvents();
}

std::unique_ptr<platform::family::ErrorDialog> QtUiServices::createErrorDialog()
{
    if (m_unattended)
        return nullptr;
    return std::make_unique<platform::family::ErrorDialogWindow>(m_parent);
}

std::unique_ptr<platform::family::SplashWindow> QtUiServices::createSplashWindow()
{
    return std::make_unique<platform::family::SplashWindowCloser>();
}

} // namespace core
