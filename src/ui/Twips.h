#pragma once

#include <QObject>
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

// How a control follows its parent once that is larger than its given size: the share of
// the extra width by which it moves right and by which it grows, and the same downwards.
// {} stays where it was put; {.growX = 1} grows with the right edge; {.moveX = 1} keeps its
// distance to the right edge; {.moveX = 0.5} stays centred; two lists side by side share
// the extra width with {.growX = 0.5} and {.moveX = 0.5, .growX = 0.5}.
struct Follow {
    double moveX = 0;
    double growX = 0;
    double moveY = 0;
    double growY = 0;
};

// Places the controls of one window at their positions in twips (relative to their parent
// widget). The twips were made for a font narrower than a Linux desktop's, so where a
// caption needs more room than its control gets, the whole window grows by one factor per
// direction: every control keeps its place relative to the others and nothing is cut off.
// That scaled size is the window's given size; a window that may be resized never gets
// smaller than it, and when it is larger its controls follow as each was told.
//
// Lives as a child of the client widget and follows that widget's resizes.
class TwipsLayout : public QObject {
public:
    // `client` is the window, or a main window's central widget.
    explicit TwipsLayout(QWidget* client);

    // Place a parent before the controls inside it: they follow the parent's growth.
    void place(QWidget* control, TwipsRect rect, Follow follow = {});
    // Sizes `client` to `clientTwips`, scaled, and moves every placed control. In the
    // `resizable` directions that size is the client's minimum; in the others it is fixed.
    void apply(QSize clientTwips, Qt::Orientations resizable = {});

    double scaleX() const { return m_scaleX; }
    double scaleY() const { return m_scaleY; }
    int x(double twips) const { return twipsToPixels(twips * m_scaleX); }
    int y(double twips) const { return twipsToPixels(twips * m_scaleY); }
    // The client's given size in pixels.
    QSize givenSize() const { return m_given; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void arrange();

    struct Item {
        QWidget* control;
        TwipsRect rect;
        Follow follow;
    };
    QWidget* m_client;
    std::vector<Item> m_items;
    QSize m_given;
    double m_scaleX = 1.0;
    double m_scaleY = 1.0;
};

// Makes a window wider by `pixels` where its content needs them (a long path), but no wider
// than its screen.
void widenBy(QWidget* window, int pixels);

}  // namespace rendix
