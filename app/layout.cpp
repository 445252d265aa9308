#include "app/layout.h"

#include <algorithm>

namespace qz {

int ScaleToDpi(int value, int dpi) {
    const long long product = static_cast<long long>(value) * dpi;
    const long long half = kDesignDpi / 2;
    return static_cast<int>(product >= 0 ? (product + half) / kDesignDpi : -((-product + half) / kDesignDpi));
}

FormLayout LayoutForm(int dpi, int labelTextWidth, int labelTextHeight, int promptTextWidth) {
    auto s = [dpi](int v) { return ScaleToDpi(v, dpi); };
    auto scaled = [&](int x, int y, int w, int h) { return Rect{s(x), s(y), s(w), s(h)}; };

    FormLayout f{};
    f.client = scaled(0, 0, 354, 81);

    f.label1 = scaled(8, 13, 106, 13);
    f.label1.w = std::max(f.label1.w, labelTextWidth);
    f.label1.h = std::max(f.label1.h, labelTextHeight);

    f.deviceBox = scaled(128, 8, 217, 21);
    const int gap = s(6);
    const int promptRight = f.label1.x + promptTextWidth + gap;
    if (promptRight > f.deviceBox.x) {
        const int right = f.deviceBox.Right();
        f.deviceBox.x = promptRight;
        f.deviceBox.w = right - promptRight;
    }
    f.deviceBoxItemHeight = s(13);
    f.deviceBoxDropHeight = f.deviceBox.h + 8 * f.deviceBoxItemHeight + s(4);

    f.saveButton = scaled(8, 40, 297, 33);
    f.rzBmpButton1 = scaled(312, 40, 32, 32);
    f.fullVer = Rect{0, f.client.h - s(10), f.client.w, s(10)};
    f.fontHeight = -s(11);
    f.fullVerFontHeight = -s(8);
    return f;
}

}  // namespace qz
