#include "SignInLabel.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QWidget>

#include "core/widgets/mN7GraphLight.h"

namespace mainwindow {

SignInLabel::SignInLabel(QWidget& box, QLabel& label, QWidget& firstButton, QObject* parent)
    : QObject(parent)
    , m_box(box)
    , m_label(label)
    , m_firstButton(firstButton)
{
    // The layout moves the button whenever the strip changes its width.
    m_box.installEventFilter(this);
    m_firstButton.installEventFilter(this);
    place();
}

void SignInLabel::showOutcome(const run::SignIn::Outcome& outcome)
{
    m_label.setText(outcome.text);
    QPalette palette = m_label.palette();
    palette.setColor(QPalette::WindowText, outcome.failed ? QColor(kFailureRed, 0, 0)
                                                          : QGuiApplication::palette().color(QPalette::WindowText));
    m_label.setPalette(palette);
    m_twoLines = !(outcome.result == run::SignIn::Result::SignedIn && outcome.byLogin);
    m_top = m_twoLines ? kTwoLineTop : kDesignTop;
    place();
    // The window makes the strip taller for a text that needs more lines than it holds.
    m_box.updateGeometry();
}

bool SignInLabel::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == &m_box && event->type() == QEvent::Resize)
        || (watched == &m_firstButton && event->type() == QEvent::Move))
        place();
    return QObject::eventFilter(watched, event);
}

void SignInLabel::place()
{
    const int tx = core::TwipsPerPixelX();
    const int ty = core::TwipsPerPixelY();
    const int width = m_firstButton.x() - (kLeft + kGap) / tx;
    // The lines of a longer text run down to the strip's bottom, however tall the window made it.
    if (m_twoLines)
        m_height = m_box.height() * ty - m_top;
    // A strip too narrow for the label leaves it at its last width.
    m_label.setGeometry(kLeft / tx, m_top / ty, width > 0 ? width : m_label.width(), m_height / ty);
}

} // namespace mainwindow
