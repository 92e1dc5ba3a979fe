// The arithmetic of the information area.
#include "info/InfoAreaGeometry.h"

namespace info {
namespace {
// One third as single precision holds it, widened: the band heights depend on this exact value.
constexpr double kThird = static_cast<double>(1.0f / 3.0f);
constexpr float kUpperSymbolX = 4;
constexpr float kLowerSymbolX = 40;
constexpr float kCaptionInset = kLowerSymbolX + kUpperSymbolX;
constexpr float kMessageInset = 80;
} // namespace

InfoAreaGeometry ComputeInfoAreaGeometry(int left, int top, int right, int bottom) {
    const int l = left - 1, t = top - 1;
    const int width = (right + 1) - l;
    const int height = (bottom + 1) - t;

    InfoAreaGeometry g;
    g.upperHeight = height * kThird;
    g.lowerHeight = (2 * height) * kThird;
    const auto h1 = static_cast<float>(g.upperHeight);
    const auto h2 = static_cast<float>(g.lowerHeight);
    g.upperBand = {float(l), float(t), float(width), h1};
    g.captionText = {l + kCaptionInset, float(t), width - kCaptionInset, h1};
    g.lowerBand = {float(l), t + h1, float(width), h2};
    g.messageText = {l + kMessageInset, t + h1, width - kMessageInset, h2};
    g.upperSymbol = {kUpperSymbolX, static_cast<float>((g.upperHeight - kSymbolSize) / 2)};
    g.lowerSymbol = {kLowerSymbolX, static_cast<float>((g.lowerHeight - kSymbolSize) / 2 + g.upperHeight)};
    return g;
}

int CaptionFontHeight(int iconTitleHeight) {
    return static_cast<int>(iconTitleHeight * 1.6);
}

} // namespace info
