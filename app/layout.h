#pragma once
// The main window's layout: designed at 96 pixels per inch and scaled to the
// monitor's DPI. Pure arithmetic, so it is tested on its own.
namespace qz {

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    int Right() const { return x + w; }
    int Bottom() const { return y + h; }
    bool operator==(const Rect& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};

// Control identifiers of the main window's children.
enum ControlId : int {
    kIdLabel1 = 101,
    kIdDeviceBox = 102,
    kIdSaveButton = 103,
    kIdRzBmpButton1 = 104,
    kIdFullVer = 105,
};

inline constexpr int kDesignDpi = 96;

// value * dpi / 96, rounded half away from zero like MulDiv.
int ScaleToDpi(int value, int dpi);

struct FormLayout {
    Rect client;        // size of the client area (x, y are 0)
    Rect label1;
    Rect deviceBox;     // the closed list's rectangle
    int deviceBoxDropHeight;  // height of the window including the open list
    int deviceBoxItemHeight;
    Rect saveButton;
    Rect rzBmpButton1;
    Rect fullVer;
    int fontHeight;         // negative: character height, as the font call takes it
    int fullVerFontHeight;
};

// Layout at the given DPI. labelTextWidth and labelTextHeight are the measured
// size of Label1's current text in the scaled window font: the label grows
// with its text, and the drive list moves right (keeping its right edge) if
// the prompt it sits beside would otherwise run under it.
FormLayout LayoutForm(int dpi, int labelTextWidth, int labelTextHeight, int promptTextWidth);

}  // namespace qz
