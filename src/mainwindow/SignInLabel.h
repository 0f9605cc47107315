#pragma once

#include <QObject>

#include "run/SignIn.h"

class QLabel;
class QWidget;

namespace mainwindow {

// The label of the main window's sign-in strip: the outcome of the last sign-in in its text and
// colour, one line low in the strip after a sign-in by login, from near the top down to the strip's
// bottom for the longer texts, which the window makes the strip tall enough to hold whole. It runs
// from the strip's left to just before the first button.
class SignInLabel final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SignInLabel)

public:
    // Twips.
    static constexpr int kLeft = 105;
    static constexpr int kGap = 105;
    static constexpr int kDesignTop = 165;
    static constexpr int kDesignHeight = 255;
    static constexpr int kTwoLineTop = 60;
    // The colour of the failure texts: red 128, green 0, blue 0.
    static constexpr int kFailureRed = 128;

    // The label lies in box; firstButton is the leftmost button of the strip. All must outlive this.
    SignInLabel(QWidget& box, QLabel& label, QWidget& firstButton, QObject* parent = nullptr);

    // Shows the outcome of a sign-in that went ahead.
    void showOutcome(const run::SignIn::Outcome& outcome);

    int topTwips() const { return m_top; }
    int heightTwips() const { return m_height; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    QWidget& m_box;
    QLabel& m_label;
    QWidget& m_firstButton;
    int m_top = kDesignTop;
    int m_height = kDesignHeight;
    bool m_twoLines = false;
};

} // namespace mainwindow
