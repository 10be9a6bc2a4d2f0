// Where the dialog's windows open and how large, so that each fits the screen at any scale.
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

class QWidget;

// A window's size and the top left of its frame.
struct WindowPlace {
    QSize size;
    QPoint framePos;
};

// The largest size up to `wanted` whose frame fits `available`.
QSize FitSize(QSize wanted, const QRect& available, const QMargins& frame);

// A window that wants `wanted` beside the frame `anchor`: on the side with
// room for at least `leastWidth`, as wide as that room allows, its top level
// with the anchor's. Nothing when neither side has that room.
std::optional<WindowPlace> PlaceBeside(QSize wanted, int leastWidth, const QRect& anchor,
                                       const QRect& available, const QMargins& frame);

// The frame a window of this program gets: that of `shown` when it is on
// screen, else none known.
QMargins FrameOf(const QWidget* shown);

// Shrinks `window`, before it is shown, so that it fits the screen `near`
// is on (the primary screen without it).
void FitIntoScreen(QWidget& window, const QWidget* near);

// Opens `window` beside `anchor`, on the same screen and within it. When
// neither side of the anchor has room for the whole window, the anchor
// moves to the screen's left edge to make room; a screen too small even then
// for `leastWidth` beside the anchor gets the window over all of it.
void ShowBeside(QWidget& window, QWidget& anchor, int leastWidth);
