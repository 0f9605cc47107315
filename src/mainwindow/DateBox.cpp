#include "DateBox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>
#include <QSignalBlocker>
#include <QToolTip>

using namespace Qt::StringLiterals;

namespace mainwindow {

namespace {

constexpr qsizetype kLongestTyped = 10; // "dd.mm.yyyy"
// Light red under a refused date, as a form marks a field it did not take.
const QColor kRefusedBase(255, 210, 210);

bool isSeparator(QChar c)
{
    return c == u'.' || c == u',' || c == u'/' || c == u'-';
}

} // namespace

DateBox::DateBox(QWidget* parent)
    : QDateEdit(parent)
{
    // The mark of a refusal stays until the box takes another date.
    connect(this, &QDateEdit::dateChanged, this, [this](QDate changed) {
        if (!typingWhole() && changed != m_before)
            clearRefusal();
    });
}

QDate DateBox::parseWhole(const QString& typed)
{
    const auto number = [](QStringView digits, qsizetype least, qsizetype most) {
        if (digits.size() < least || digits.size() > most)
            return -1;
        for (const QChar c : digits) {
            if (!c.isDigit())
                return -1;
        }
        return digits.toInt();
    };
    int day = -1;
    int month = -1;
    int year = -1;
    const QStringList parts = typed.split(u'.');
    if (parts.size() == 1) {
        if (typed.size() == 8) {
            const QStringView view(typed);
            day = number(view.mid(0, 2), 2, 2);
            month = number(view.mid(2, 2), 2, 2);
            year = number(view.mid(4, 4), 4, 4);
        }
    } else if (parts.size() == 3) {
        day = number(parts[0], 1, 2);
        month = number(parts[1], 1, 2);
        year = number(parts[2], 4, 4);
    }
    if (day < 0 || month < 0 || year < 0)
        return {};
    return QDate(year, month, day);
}

bool DateBox::wholeTextSelected() const
{
    const QLineEdit* edit = lineEdit();
    return !edit->text().isEmpty() && edit->selectionStart() == 0 && edit->selectedText() == edit->text();
}

void DateBox::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    const bool plain = (event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == 0;
    if (plain && text.size() == 1) {
        const QChar c = text.at(0);
        // A digit over the whole selected text begins a whole date.
        if (!typingWhole() && c.isDigit() && wholeTextSelected()) {
            clearRefusal();
            m_before = date();
            m_typed = u""_s;
        }
        if (typingWhole() && (c.isDigit() || isSeparator(c))) {
            type(c);
            event->accept();
            return;
        }
    }
    if (typingWhole()) {
        switch (event->key()) {
        case Qt::Key_Backspace:
            m_typed.chop(1);
            showTyped();
            event->accept();
            return;
        case Qt::Key_Escape:
            cancelTyped();
            event->accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            commitTyped();
            break;
        default:
            // Any other key (an arrow, a page key) works on the date the box had.
            cancelTyped();
            break;
        }
    }
    QDateEdit::keyPressEvent(event);
}

void DateBox::focusOutEvent(QFocusEvent* event)
{
    if (typingWhole())
        commitTyped();
    QDateEdit::focusOutEvent(event);
}

void DateBox::mousePressEvent(QMouseEvent* event)
{
    if (typingWhole())
        commitTyped();
    QDateEdit::mousePressEvent(event);
}

void DateBox::type(QChar c)
{
    if (m_typed.size() >= kLongestTyped)
        return;
    m_typed += isSeparator(c) ? QChar(u'.') : c;
    showTyped();
    if (typedComplete())
        commitTyped();
}

void DateBox::showTyped()
{
    // The spin box would read the unfinished text as a date of its own: it sees only the result.
    QLineEdit* edit = lineEdit();
    const QSignalBlocker blocker(edit);
    edit->setText(m_typed);
    edit->setCursorPosition(static_cast<int>(m_typed.size()));
}

bool DateBox::typedComplete() const
{
    if (!m_typed.contains(u'.'))
        return m_typed.size() == 8;
    const QStringList parts = m_typed.split(u'.');
    return parts.size() == 3 && parts[2].size() == 4;
}

void DateBox::commitTyped()
{
    const QString typed = m_typed;
    m_typed = QString();
    const QDate typedDate = parseWhole(typed);
    if (typedDate.isValid() && typedDate >= minimumDate() && typedDate <= maximumDate()) {
        setDate(typedDate);
        // The same date as before changes nothing, so the box writes its text here.
        lineEdit()->setText(textFromDateTime(dateTime()));
        clearRefusal();
    } else {
        refuse(typed);
    }
}

void DateBox::cancelTyped()
{
    m_typed = QString();
    setDate(m_before);
    lineEdit()->setText(textFromDateTime(dateTime()));
}

void DateBox::refuse(const QString& typed)
{
    setDate(m_before);
    lineEdit()->setText(textFromDateTime(dateTime()));
    const QString why = u"Нет такой даты: "_s + typed + u". Оставлена дата "_s + text() + u'.';
    if (!m_refused)
        m_toolTip = toolTip();
    m_refused = true;
    QPalette marked = palette();
    marked.setColor(QPalette::Base, kRefusedBase);
    setPalette(marked);
    setToolTip(why);
    QToolTip::showText(mapToGlobal(QPoint(0, height())), why, this);
    QApplication::beep();
}

void DateBox::clearRefusal()
{
    if (!m_refused)
        return;
    m_refused = false;
    setPalette(QPalette());
    setToolTip(m_toolTip);
    QToolTip::hideText();
}

} // namespace mainwindow
