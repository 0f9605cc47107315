#include "SignInLayout.h"

#include <algorithm>

namespace dialogs::signin_layout {

QSize windowSize(QSize window)
{
    return {std::max(window.width(), kMinimumWindowWidth), std::max(window.height(), kMinimumWindowHeight)};
}

QSize innerSize(QSize window)
{
    return {window.width() - (kDesignWindowWidth - kDesignInnerWidth),
            window.height() - (kDesignWindowHeight - kDesignInnerHeight)};
}

void layoutWindow(WindowPlaces& p, int innerWidth, int innerHeight)
{
    p.buttomAutorization.top = innerHeight - 150 - p.buttomAutorization.height;
    // Integer division drops the remainder toward zero.
    p.buttomAutorization.left = (innerWidth - p.buttomAutorization.width - p.save.width - p.cancel.width - 300) / 2;
    p.save.top = p.buttomAutorization.top;
    p.save.left = p.buttomAutorization.left + p.buttomAutorization.width + 150;
    p.cancel.top = p.buttomAutorization.top;
    p.cancel.left = p.save.left + p.save.width + 150;

    p.title.left = 0;
    p.title.top = 150;
    setSize(p.title.width, innerWidth);

    p.tabs.top = p.title.top + p.title.height + 150;
    p.tabs.left = 150;
    setSize(p.tabs.width, innerWidth - 300);
    setSize(p.tabs.height, innerHeight - p.title.height - p.buttomAutorization.height - 600);
}

void layoutPanel(PanelPlaces& p, int panelWidth, int panelHeight)
{
    p.diadocServerURL.left = 150;
    p.diadocServerURL.top = panelHeight - p.diadocServerURL.height - 150;
    setSize(p.diadocServerURL.width, panelWidth - 300);
    p.labelDiadocServerURL.left = 150;
    p.labelDiadocServerURL.top = p.diadocServerURL.top - p.labelDiadocServerURL.height;

    p.automaticAutorization.top = p.labelDiadocServerURL.top - 150 - p.automaticAutorization.height;
    setSize(p.treeViewCertificates.width, panelWidth - p.treeViewCertificates.left - 150);
    setSize(p.treeViewCertificates.height, p.automaticAutorization.top - p.treeViewCertificates.top - 150);
}

} // namespace dialogs::signin_layout
