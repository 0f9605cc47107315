#pragma once

#include <QDate>
#include <QDateEdit>
#include <QString>

namespace mainwindow {

// A date box that also takes a whole date typed over its selected text, as "15.03.2024",
// "1.3.2024" or "15032024": a date box edits one part at a time, so such typing would otherwise
// land in the parts one by one and make another date. A date that does not exist is refused: the
// box keeps its date and shows the refusal until the next change. The arrows and the calendar work
// as in any date box.
class DateBox final : public QDateEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DateBox)

public:
    explicit DateBox(QWidget* parent = nullptr);

    // The last whole date typed was refused, and nothing has changed the box since.
    bool isRefused() const { return m_refused; }

    // The date of a whole typed text, invalid when the text is none: day and month of one or two
    // digits and a four-digit year, separated by dots, or eight digits without them.
    static QDate parseWhole(const QString& typed);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool typingWhole() const { return !m_typed.isNull(); }
    bool wholeTextSelected() const;
    // Adds a typed digit or separator.
    void type(QChar c);
    void showTyped();
    // The text is a complete date: eight digits, or a four-digit year after two separators.
    bool typedComplete() const;
    void commitTyped();
    void cancelTyped();
    void refuse(const QString& typed);
    void clearRefusal();

    QString m_typed; // the whole date being typed; null when none is
    QDate m_before;  // the date the box had when the typing began
    bool m_refused = false;
    QString m_toolTip; // the box's own tooltip, back once the refusal is cleared
};

} // namespace mainwindow
