// Where the dialog's windows open and how large, so that each fits the screen at any scale.
#include "dialog/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

QSize FitSize(QSize wanted, const QRect& available, const QMargins& frame)
{
    const QSize room = available.size().shrunkBy(frame);
    return wanted.boundedTo(room.expandedTo(QSize(0, 0)));
}

std::optional<WindowPlace> PlaceBeside(QSize wanted, int leastWidth, const QRect& anchor,
                                       const QRect& available, const QMargins& frame)
{
    const int frameWidth = frame.left() + frame.right();
    const int roomRight = available.right() - anchor.right() - frameWidth;
    const int roomLeft = anchor.left() - available.left() - frameWidth;
    const int room = std::max(roomRight, roomLeft);
    if (room < leastWidth)
        return std::nullopt;

    WindowPlace place;
    place.size = FitSize(wanted, available, frame);
    place.size.setWidth(std::min(place.size.width(), room));
    const int outerWidth = place.size.width() + frameWidth;
    const int outerHeight = place.size.height() + frame.top() + frame.bottom();
    const int x = roomRight >= roomLeft ? anchor.right() + 1 : anchor.left() - outerWidth;
    const int y = std::clamp(anchor.top(), available.top(),
                             std::max(available.top(), available.bottom() + 1 - outerHeight));
    place.framePos = QPoint(x, y);
    return place;
}

QMargins FrameOf(const QWidget* shown)
{
    if (shown == nullptr || !shown->isVisible())
        return {};
    const QRect inner = shown->geometry();
    const QRect outer = shown->frameGeometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                    outer.right() - inner.right(), outer.bottom() - inner.bottom());
}

namespace {

QRect AvailableNear(const QWidget* near)
{
    const QScreen* screen = near != nullptr ? near->screen() : QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

} // namespace

void FitIntoScreen(QWidget& window, const QWidget* near)
{
    const QRect available = AvailableNear(near);
    if (available.isEmpty())
        return;
    window.resize(FitSize(window.size(), available, FrameOf(near)));
}

void ShowBeside(QWidget& window, QWidget& anchor, int leastWidth)
{
    const QRect available = AvailableNear(&anchor);
    const QMargins frame = FrameOf(&anchor);
    const QSize wanted = FitSize(window.size(), available, frame);
    std::optional<WindowPlace> place =
        PlaceBeside(wanted, leastWidth, anchor.frameGeometry(), available, frame);
    // Cramped beside a window in the middle of the screen: the anchor goes
    // to the left edge, which leaves the most room on its right.
    const bool cramped = !place || place->size.width() < wanted.width();
    if (cramped && anchor.frameGeometry().left() > available.left()) {
        anchor.move(available.left(), anchor.frameGeometry().top());
        place = PlaceBeside(wanted, leastWidth, anchor.frameGeometry(), available, frame);
    }
    if (place) {
        window.resize(place->size);
        window.move(place->framePos);
    } else {
        // A screen too small for two windows side by side: the whole screen.
        window.resize(wanted);
        window.move(available.topLeft());
    }
    window.show();
}
