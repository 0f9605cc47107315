#include "OptionsLayout.h"

namespace dialogs::options_layout {

void layoutWindow(WindowPlaces& p, int innerWidth, int innerHeight)
{
    p.defaultButton.left = 150;
    p.defaultButton.top = innerHeight - p.defaultButton.height - 150;
    p.cancel.left = innerWidth - p.cancel.width - 150;
    p.cancel.top = p.defaultButton.top;
    p.ok.left = p.cancel.left - p.ok.width - 150;
    p.ok.top = p.defaultButton.top;
    p.tabs.left = 150;
    p.tabs.top = 150;
    setSize(p.tabs.width, innerWidth - 300);
    setSize(p.tabs.height, innerHeight - p.defaultButton.height - 450);
}

void layoutTabPanel(TwipsRect& panel, const TwipsRect& tabs)
{
    setSize(panel.height, tabs.height - panel.top);
    setSize(panel.width, tabs.width);
}

void layoutProtocolPanel(ProtocolPanelPlaces& p, int panelHeight)
{
    p.frameProtocol.top = panelHeight - p.frameProtocol.height - 90;
    p.frameExclude.top = p.frameProtocol.top - p.frameExclude.height - 60;
}

void layoutExcludePanel(ExcludePanelPlaces& p, int panelWidth, int panelHeight)
{
    const int top = p.labelExclude.top + p.labelExclude.height + 150;
    p.grid.left = 150;
    p.grid.top = top;
    setSize(p.grid.width, panelWidth - 450 - p.toolbar.width);
    setSize(p.grid.height, panelHeight - top - 150);
    p.toolbar.left = p.grid.width + 300;
    p.toolbar.top = top;
}

void layoutDocTypesPanel(DocTypesPanelPlaces& p, int panelWidth, int panelHeight)
{
    p.checkBoxExcludeMHD.top = panelHeight - p.checkBoxExcludeMHD.height - 90;
    setSize(p.treeDocTypes.height, p.checkBoxExcludeMHD.top - p.treeDocTypes.top - 90);
    setSize(p.treeDocTypes.width, panelWidth - 2 * p.treeDocTypes.left);
}

} // namespace dialogs::options_layout
