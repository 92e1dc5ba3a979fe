// The arithmetic of the information area: two bands, two text rectangles, two symbol
// positions, and the caption font's size, as a pure function of the control's rectangle.
#pragma once

namespace info {

struct RectF {
    float x = 0, y = 0, width = 0, height = 0;
};

struct PointF {
    float x = 0, y = 0;
};

struct InfoAreaGeometry {
    double upperHeight = 0; // a third of the area
    double lowerHeight = 0; // two thirds
    RectF upperBand;
    RectF captionText;
    RectF lowerBand;
    RectF messageText;
    PointF upperSymbol; // top-left of the 32 x 32 warning symbol
    PointF lowerSymbol; // top-left of the 32 x 32 document symbol
};

constexpr int kSymbolSize = 32;

// The geometry for a control whose client rectangle is (left, top, right, bottom); the painted
// area is that rectangle grown by one pixel on every side. The symbols are placed relative to
// the control's origin, not to the grown rectangle, as the area has always drawn them.
InfoAreaGeometry ComputeInfoAreaGeometry(int left, int top, int right, int bottom);

// The caption font's height from the icon-title font's: 1.6 times, truncated toward zero.
int CaptionFontHeight(int iconTitleHeight);

} // namespace info
