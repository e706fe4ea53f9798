// Pixel geometry of the EQ graph: the mappings between frequency/level and plot pixels that
// the curve maths and the graph view share, and the small point and rectangle types they use.
#pragma once

#include <cmath>

namespace zel {

// The plot's origin inside the graph's client area. Every coordinate a filter or a curve
// model stores is in graph client coordinates, i.e. includes this offset.
inline constexpr int kPlotOffsetX = 35;
inline constexpr int kPlotOffsetY = 10;

// Decades shown across the plot: log10(30000) - 1, from 10 Hz at the left edge to 30 kHz at
// the right edge.
inline constexpr double kLogSpan = 3.4771212547196626;
// Level range shown down the plot: +12 dB at the top to -24 dB at the bottom.
inline constexpr double kTopDb = 12.0;
inline constexpr double kDbSpan = 36.0;

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct PointF {
    float x = 0.0f;
    float y = 0.0f;
};

// A rectangle with exclusive right and bottom edges, as the graph's hit test expects.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    constexpr Point center() const { return {(left + right) / 2, (top + bottom) / 2}; }
    constexpr bool contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Plot x (without the offset) of frequency f in Hz; truncate toward zero for a pixel.
inline double freqToX(double f, int plotWidth) {
    return (std::log10(f) - 1.0) * plotWidth / kLogSpan;
}

// Frequency in Hz at plot x (without the offset).
inline double xToFreq(double x, int plotWidth) {
    return std::pow(10.0, kLogSpan * x / plotWidth + 1.0);
}

// Plot y (without the offset) of a level in dB; truncate toward zero for a pixel.
inline double dbToY(double db, int plotHeight) {
    return plotHeight / kDbSpan * (kTopDb - db);
}

// Level at plot y (without the offset), rounded to a whole dB with halves away from zero.
inline double yToDb(double y, int plotHeight) {
    return std::round(kTopDb - kDbSpan * y / plotHeight);
}

// The pixel forms: the double mapping truncated toward zero.
inline int freqToPixelX(double f, int plotWidth) {
    return static_cast<int>(freqToX(f, plotWidth));
}
inline int dbToPixelY(double db, int plotHeight) {
    return static_cast<int>(dbToY(db, plotHeight));
}

} // namespace zel
