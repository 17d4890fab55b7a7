#include "app/MainLayout.h"

namespace kr39 {

int MinimumClientHeight(int toolBarHeight, int statusBarHeight)
{
    return toolBarHeight + 400 + 135 + StationViewHeight + 135 + statusBarHeight;
}

std::optional<MainLayoutResult> ComputeMainLayout(const MainLayoutInput& in)
{
    MainLayoutResult out;
    const int treeHeight = in.ClientHeight - in.ToolBarHeight - in.StatusBarHeight - 100;
    const int treeWidth = in.ClientWidth - StationViewWidth - 405;
    if (treeHeight < 0 || treeWidth < 0)
        return std::nullopt;
    out.Catalog = {CatalogLeft, WorkAreaTop, treeWidth, treeHeight};
    out.Station = {treeWidth + 270, WorkAreaTop, StationViewWidth, treeHeight};

    const int barTop = in.ClientHeight - 230;
    const int boxLeft = in.ClientWidth - ProgressWidth - in.Panel4Width - in.Panel5Width - 350;
    out.BoxProgress = {boxLeft, barTop, ProgressWidth, ProgressHeight};
    out.StationProgress = {boxLeft - ProgressWidth - 100, barTop, ProgressWidth, ProgressHeight};
    return out;
}

} // namespace kr39
