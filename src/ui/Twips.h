#pragma once

#include <QSize>

#include <vector>

class QWidget;

// Window layouts are given in twips: 1440 to the inch, so 15 twips to a logical pixel at
// Qt's 96 dpi (Qt scales for high-density screens).
namespace rendix {

inline constexpr int kTwipsPerPixel = 15;

// Twips to pixels, rounded to the nearest pixel.
constexpr int twipsToPixels(double twips) {
    const double pixels = twips / kTwipsPerPixel;
    return static_cast<int>(pixels >= 0 ? pixels + 0.5 : pixels - 0.5);
}

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Places the controls of one window at their positions in twips (relative to their parent
// widget). The twips were made for a font narrower than a Linux desktop's, so where a
// caption needs more room than its control gets, the whole window grows by one factor per
// direction: every control keeps its place relative to the others and nothing is cut off.
class TwipsLayout {
public:
    void place(QWidget* control, TwipsRect rect);
    // Sizes and fixes `client` (the window, or a main window's central widget) to
    // `clientTwips` and moves every placed control.
    void apply(QWidget* client, QSize clientTwips);

    double scaleX() const { return m_scaleX; }
    double scaleY() const { return m_scaleY; }
    int x(double twips) const { return twipsToPixels(twips * m_scaleX); }
    int y(double twips) const { return twipsToPixels(twips * m_scaleY); }

private:
    struct Item {
        QWidget* control;
        TwipsRect rect;
    };
    std::vector<Item> m_items;
    double m_scaleX = 1.0;
    double m_scaleY = 1.0;
};

}  // namespace rendix
