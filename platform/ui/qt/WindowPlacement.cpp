#include "platform/ui/qt/WindowPlacement.h"

#include <algorithm>

namespace vardel {

TPlacement PlaceWindow(const TPlacementRequest& request) {
    const QSize client = request.client;
    const int barWidth = request.scrollBars.width(), barHeight = request.scrollBars.height();
    const int maxWidth =
        std::max(1, request.screen.width() - request.frame.left() - request.frame.right());
    const int maxHeight =
        std::max(1, request.screen.height() - request.frame.top() - request.frame.bottom());
    const int wanted = std::max(client.width(), request.leastWidth);

    // A scroll bar takes room from the other direction, so one bar can bring the other:
    // the bars only ever come, never go, so three rounds settle it.
    TPlacement p;
    for (int round = 0; round < 3; ++round) {
        const int vertical = p.vertical ? barWidth : 0;
        p.width = std::min(wanted + vertical, maxWidth);
        p.menuHeight = request.menuHeight ? request.menuHeight(p.width) : 0;
        p.horizontal = p.horizontal || client.width() > p.width - vertical;
        const int horizontal = p.horizontal ? barHeight : 0;
        p.areaHeight =
            std::max(0, std::min(client.height() + horizontal, maxHeight - p.menuHeight));
        p.vertical = p.vertical || client.height() > p.areaHeight - horizontal;
    }
    p.view = QSize(std::max(0, p.width - (p.vertical ? barWidth : 0)),
                   std::max(0, p.areaHeight - (p.horizontal ? barHeight : 0)));

    // Moved only as far as the window must to lie on the screen, its top-left corner
    // kept on it first.
    const QRect& screen = request.screen;
    const int outerWidth = p.width + request.frame.left() + request.frame.right();
    const int outerHeight = p.Height() + request.frame.top() + request.frame.bottom();
    p.position.setX(
        std::max(screen.left(), std::min(request.position.x(), screen.right() + 1 - outerWidth)));
    p.position.setY(
        std::max(screen.top(), std::min(request.position.y(), screen.bottom() + 1 - outerHeight)));
    return p;
}

}  // namespace vardel
