#include "platform/ui/qt/MenuBar.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "platform/ui/qt/Menus.h"

namespace vardel {

namespace {
constexpr int kItemPadding = 6;  // blank space left and right of a caption
constexpr int kRowPadding = 3;   // above and below it
}  // namespace

TMenuBarWidget::TMenuBarWidget(QWidget* parent, TMenuItem& root) : QWidget(parent), root_(root) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (int i = 0; i < root_.Count(); ++i) {
        TMenuItem& item = root_.Item(i);
        // A changed caption or enabled flag shows at once.
        connect(item.Action(), &QAction::changed, this, [this] { update(); });
        if (QMenu* menu = item.SubMenu()) {
            connect(menu, &QMenu::aboutToHide, this, [this] {
                open_ = -1;
                update();
            });
        }
    }
}

int TMenuBarWidget::ItemCount() const {
    return root_.Count();
}

int TMenuBarWidget::RowHeight() const {
    return fontMetrics().height() + 2 * kRowPadding;
}

std::vector<QRect> TMenuBarWidget::Layout(int width) const {
    std::vector<QRect> rects;
    const QFontMetrics metrics = fontMetrics();
    const int rowHeight = RowHeight();
    int x = 0, y = 0;
    for (int i = 0; i < root_.Count(); ++i) {
        const int w = metrics.horizontalAdvance(root_.Item(i).Action()->text()) + 2 * kItemPadding;
        if (x > 0 && x + w > width) {
            x = 0;
            y += rowHeight;
        }
        rects.emplace_back(x, y, w, rowHeight);
        x += w;
    }
    return rects;
}

int TMenuBarWidget::heightForWidth(int width) const {
    const std::vector<QRect> rects = Layout(width);
    return rects.empty() ? RowHeight() : rects.back().bottom() + 1;
}

QRect TMenuBarWidget::ItemRect(int index) const {
    const std::vector<QRect> rects = Layout(width());
    return index >= 0 && index < static_cast<int>(rects.size()) ? rects[static_cast<size_t>(index)]
                                                                : QRect();
}

int TMenuBarWidget::ItemAt(const QPoint& point) const {
    const std::vector<QRect> rects = Layout(width());
    for (size_t i = 0; i < rects.size(); ++i)
        if (rects[i].contains(point)) return static_cast<int>(i);
    return -1;
}

void TMenuBarWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& pal = palette();
    painter.fillRect(rect(), pal.color(QPalette::Window));
    const std::vector<QRect> rects = Layout(width());
    for (size_t i = 0; i < rects.size(); ++i) {
        TMenuItem& item = root_.Item(static_cast<int>(i));
        const bool enabled = item.Enabled();
        const bool lit =
            enabled && (static_cast<int>(i) == open_ || static_cast<int>(i) == hovered_);
        if (lit) painter.fillRect(rects[i], pal.color(QPalette::Highlight));
        painter.setPen(!enabled ? pal.color(QPalette::Disabled, QPalette::WindowText)
                       : lit    ? pal.color(QPalette::HighlightedText)
                                : pal.color(QPalette::WindowText));
        painter.drawText(rects[i], Qt::AlignCenter | Qt::TextShowMnemonic, item.Action()->text());
    }
}

void TMenuBarWidget::mouseMoveEvent(QMouseEvent* event) {
    const int index = ItemAt(event->position().toPoint());
    if (index != hovered_) {
        hovered_ = index;
        update();
    }
}

void TMenuBarWidget::leaveEvent(QEvent*) {
    hovered_ = -1;
    update();
}

void TMenuBarWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int index = ItemAt(event->position().toPoint());
    if (index >= 0 && root_.Item(index).SubMenu()) ClickItem(index);
}

void TMenuBarWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int index = ItemAt(event->position().toPoint());
    // Commands of the bar itself run when the button comes up over them.
    if (index >= 0 && !root_.Item(index).SubMenu()) ClickItem(index);
}

void TMenuBarWidget::ClickItem(int index) {
    if (index < 0 || index >= root_.Count()) return;
    TMenuItem& item = root_.Item(index);
    if (!item.Enabled()) return;
    if (QMenu* menu = item.SubMenu()) {
        open_ = index;
        update();
        menu->popup(mapToGlobal(ItemRect(index).bottomLeft() + QPoint(0, 1)));
    } else {
        item.Click();
    }
}

}  // namespace vardel
