#include "ChecksLayout.h"

namespace dialogs::checks_layout {

QSize minimumInner(const Places& p)
{
    return {p.caption.width + 300, 2 * (p.caption.height + p.close.height) + 600};
}

void layout(Places& p, int innerWidth, int innerHeight)
{
    p.caption.left = (innerWidth - p.caption.width) / 2;
    p.caption.top = 150;
    p.close.left = innerWidth - p.close.width - 150;
    p.close.top = innerHeight - p.close.height - 150;
    p.richTextBox.left = 150;
    p.richTextBox.top = p.caption.top + p.caption.height + 150;
    setSize(p.richTextBox.width, innerWidth - 300);
    setSize(p.richTextBox.height, p.close.top - 150 - p.richTextBox.top);
}

} // namespace dialogs::checks_layout
