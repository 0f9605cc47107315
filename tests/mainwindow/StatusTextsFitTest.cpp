#include <QApplication>

#include "WindowRunFixture.h"

using namespace Qt::StringLiterals;
using namespace core::msgbox;

namespace mainwindow::test {

namespace {

// The room a label has for its text against the width the text takes in the label's font.
int textWidth(const QLabel& label)
{
    return label.fontMetrics().horizontalAdvance(label.text());
}

} // namespace

using StatusTextsFitTest = WindowRunFixture;

// At the window's opening size, after a run, the run's span in the status bar and the maximum
// count of documents in one list show whole, in the program's type.
TEST_F(StatusTextsFitTest, TheRunsSpanAndTheMaximumCountShowWholeAtTheOpeningSize)
{
    const auto window = load();
    window->show();
    ASSERT_EQ(window->size(), QSize(942, 598)) << "the opening size";
    const MainWindowControls& c = window->controls();
    ui.expectBox(vbNo);
    c.theButtonExecute->click();
    for (int i = 0; i < 4; ++i)
        QApplication::processEvents();

    const QLabel& span = *c.statusPanels[0];
    ASSERT_TRUE(span.text().contains(u" - "_s)) << span.text().toStdString();
    EXPECT_GE(span.contentsRect().width(), textWidth(span)) << span.text().toStdString();
    EXPECT_LE(span.sizeHint().width(), span.width());
    // The longest span a day can give, too.
    EXPECT_GE(span.contentsRect().width(), span.fontMetrics().horizontalAdvance(u"23:59:59 - 23:59:59"_s));

    const QLabel& caption = *c.theLabelMaxDocsCountInOneList;
    const QLabel& count = *c.theMaxDocsCountInOneList;
    ASSERT_NE(count.text(), u"0"_s) << "the run listed documents";
    EXPECT_GE(caption.width(), textWidth(caption));
    EXPECT_GE(count.x(), caption.x() + caption.width()) << "the count stands after its caption";
    EXPECT_LE(count.x() + textWidth(count), c.thePanelTasks->width()) << "the count lies inside its pane";
    const QLabel& failures = *c.theTasksFailureCounter;
    EXPECT_GT(caption.x(), failures.x() + textWidth(failures)) << "the caption stands clear of the failure count";

    testsupport::screenshot(*window, u"mainwindow-after-run-942x598"_s);
}

} // namespace mainwindow::test
