#include "platform/ui/qt/MenuBar.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

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
            connect(menu, &QMenu::aboutToHide, this, [this] { DropDownHidden(); });
            menu->installEventFilter(this);
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

int TMenuBarWidget::Rows(int width) const {
    const std::vector<QRect> rects = Layout(width);
    return rects.empty() ? 1 : rects.back().top() / RowHeight() + 1;
}

int TMenuBarWidget::heightForWidth(int width) const {
    const std::vector<QRect> rects = Layout(width);
    return rects.empty() ? RowHeight() : rects.back().bottom() + 1;
}

int TMenuBarWidget::LeastWidth(int rows) const {
    int widest = 0, total = 0;
    for (const QRect& r : Layout(0)) {
        widest = std::max(widest, r.width());
        total += r.width();
    }
    // Items wrap greedily, so a wider bar never needs more rows.
    int low = widest, high = std::max(widest, total);
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (Rows(middle) <= rows)
            high = middle;
        else
            low = middle + 1;
    }
    return low;
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
    // One item is lit: the open one, else the keyboard's, else the one under the mouse.
    const int lit = open_ >= 0 ? open_ : active_ ? current_ : hovered_;
    for (size_t i = 0; i < rects.size(); ++i) {
        TMenuItem& item = root_.Item(static_cast<int>(i));
        const bool enabled = item.Enabled();
        const bool highlighted = static_cast<int>(i) == lit && (enabled || active_);
        if (highlighted) painter.fillRect(rects[i], pal.color(QPalette::Highlight));
        painter.setPen(!enabled      ? pal.color(QPalette::Disabled, QPalette::WindowText)
                       : highlighted ? pal.color(QPalette::HighlightedText)
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
    // The mouse takes over from the keyboard.
    Deactivate();
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

void TMenuBarWidget::Activate(int index) {
    if (root_.Count() == 0) return;
    if (!active_) {
        QWidget* focused = QApplication::focusWidget();
        focusBefore_ =
            focused && focused != this && focused->window() == window() ? focused : nullptr;
        active_ = true;
    }
    current_ = std::clamp(index, 0, root_.Count() - 1);
    setFocus(Qt::MenuBarFocusReason);
    update();
}

void TMenuBarWidget::Deactivate() {
    browsing_ = false;
    if (!active_) return;
    active_ = false;
    update();
    QWidget* before = focusBefore_;
    focusBefore_ = nullptr;
    if (!hasFocus()) return;
    if (before && before->isVisible())
        before->setFocus(Qt::MenuBarFocusReason);
    else
        clearFocus();
}

void TMenuBarWidget::Choose(int index) {
    TMenuItem& item = root_.Item(index);
    if (!item.Enabled()) return;
    QMenu* menu = item.SubMenu();
    if (!menu) {
        // The bar is left before the command runs: it may open a dialog.
        Deactivate();
        item.Click();
        return;
    }
    current_ = index;
    ClickItem(index);
    for (QAction* action : menu->actions()) {
        if (action->isEnabled() && !action->isSeparator()) {
            menu->setActiveAction(action);
            break;
        }
    }
}

void TMenuBarWidget::keyPressEvent(QKeyEvent* event) {
    if (!active_) {
        event->ignore();
        return;
    }
    const int count = root_.Count();
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
            current_ = (current_ + (event->key() == Qt::Key_Right ? 1 : count - 1)) % count;
            update();
            if (browsing_ && root_.Item(current_).SubMenu()) Choose(current_);
            break;
        case Qt::Key_Down:
        case Qt::Key_Up:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Choose(current_);
            break;
        case Qt::Key_Escape:
            Deactivate();
            break;
        default:
            // F10 and Alt are the window's to handle.
            event->ignore();
            return;
    }
    event->accept();
}

void TMenuBarWidget::focusOutEvent(QFocusEvent* event) {
    // A drop-down takes the focus while it is open; anything else ends keyboard use.
    if (active_ && event->reason() != Qt::PopupFocusReason) {
        active_ = false;
        browsing_ = false;
        focusBefore_ = nullptr;
        update();
    }
    QWidget::focusOutEvent(event);
}

bool TMenuBarWidget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || open_ < 0 || watched != root_.Item(open_).SubMenu())
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape) {
        escaped_ = true;
        return false;
    }
    if (key != Qt::Key_Left && key != Qt::Key_Right) return false;
    // Left and Right leave one drop-down for the next item of the bar.
    const int count = root_.Count();
    const int next = (open_ + (key == Qt::Key_Right ? 1 : count - 1)) % count;
    switching_ = true;
    root_.Item(open_).SubMenu()->hide();
    switching_ = false;
    Activate(next);
    browsing_ = true;
    if (root_.Item(next).SubMenu()) Choose(next);
    return true;
}

void TMenuBarWidget::DropDownHidden() {
    const int was = open_;
    open_ = -1;
    update();
    if (switching_) return;
    if (escaped_) {
        // Escape steps back from the drop-down to its item on the bar.
        escaped_ = false;
        browsing_ = false;
        Activate(was);
    } else {
        Deactivate();
    }
}

}  // namespace vardel
