#pragma once

#include <optional>

namespace kr39 {

// Lengths in twips.
struct TwipsRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

struct TwipsSize {
    int Width = 0;
    int Height = 0;
    friend bool operator==(const TwipsSize&, const TwipsSize&) = default;
};

// What one layout pass reads from the window.
struct MainLayoutInput {
    int ClientWidth = 0; // inside the frame, below the menu bar
    int ClientHeight = 0;
    int ToolBarHeight = 0;
    int StatusBarHeight = 0;
    int Panel4Width = 0; // date panel of the status bar
    int Panel5Width = 0; // time panel
};

// Where one layout pass puts the controls, in the coordinates of the client area.
struct MainLayoutResult {
    TwipsRect Catalog; // tvCatalog
    TwipsRect Station; // picVexaConf
    TwipsRect StationProgress; // pbStation
    TwipsRect BoxProgress; // pbBox
    friend bool operator==(const MainLayoutResult&, const MainLayoutResult&) = default;
};

inline constexpr int MinimumWindowWidth = 13635;
inline constexpr int StationViewWidth = 8775;
inline constexpr int StationViewHeight = 9255;
inline constexpr int CatalogLeft = 120;
inline constexpr int WorkAreaTop = 480;
inline constexpr int ProgressWidth = 1995;
inline constexpr int ProgressHeight = 195;

// The smallest client height that holds the toolbar, the work area and the status bar.
int MinimumClientHeight(int toolBarHeight, int statusBarHeight);

// The places of the tree, the station view and the two progress bars for a client area;
// nothing when a width or height would come out negative (the controls then stay where they are).
std::optional<MainLayoutResult> ComputeMainLayout(const MainLayoutInput& input);

} // namespace kr39
