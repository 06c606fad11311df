#include "platform/ui/qt/FormWidget.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>

#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "platform/ui/qt/Application.h"
#include "platform/ui/qt/Form.h"
#include "platform/ui/qt/MenuBar.h"
#include "platform/ui/qt/StdControls.h"

namespace vardel {

namespace {

TShiftState ShiftOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    TShiftState shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= ssShift;
    if (modifiers & Qt::AltModifier) shift |= ssAlt;
    if (modifiers & Qt::ControlModifier) shift |= ssCtrl;
    if (buttons & Qt::LeftButton) shift |= ssLeft;
    if (buttons & Qt::RightButton) shift |= ssRight;
    if (buttons & Qt::MiddleButton) shift |= ssMiddle;
    return shift;
}

void Handle(const std::function<void()>& handler) {
    if (ApplicationStarted())
        Application().HandleEvent(handler);
    else
        handler();
}

}  // namespace

TClientWidget::TClientWidget(QWidget* parent, TForm& form) : QWidget(parent), form_(form) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void TClientWidget::SurfaceChanged(const gdi::RECT& area) {
    if (area.right <= area.left || area.bottom <= area.top) return;
    copyTop_ = std::min(copyTop_, static_cast<int>(area.top));
    copyBottom_ = std::max(copyBottom_, static_cast<int>(area.bottom));
    if (!painting_) update(area.left, area.top, area.right - area.left, area.bottom - area.top);
}

void TClientWidget::CopySurface() {
    const gdi::HBITMAP& surface = form_.ClientSurface();
    gdi::DIBSECTION description;
    if (!surface || !gdi::GetObject(surface, description)) return;
    const int w = description.dsBm.bmWidth, h = description.dsBm.bmHeight;
    if (image_.width() != w || image_.height() != h) {
        image_ = QImage(w, h, QImage::Format_RGB32);
        copyTop_ = 0;
        copyBottom_ = h;
    }
    const int top = std::max(copyTop_, 0), bottom = std::min(copyBottom_, h);
    copyTop_ = INT_MAX;
    copyBottom_ = INT_MIN;
    if (top >= bottom) return;
    gdi::BITMAPINFO info;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // rows top first, as QImage keeps them
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = gdi::BI_RGB;
    gdi::HDC screen = gdi::GetDC();
    // Scan lines count from the bottom of the picture.
    gdi::GetDIBits(screen, surface, static_cast<unsigned>(h - bottom), static_cast<unsigned>(bottom - top),
                   image_.bits(), info, gdi::DIB_RGB_COLORS);
    gdi::ReleaseDC(screen);
    // The fourth byte of a 32-bit pixel is unused; Qt reads it as opaque alpha.
    for (int y = top; y < bottom; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image_.scanLine(y));
        for (int x = 0; x < w; ++x) row[x] |= 0xFF000000u;
    }
}

void TClientWidget::paintEvent(QPaintEvent* event) {
    if (form_.PaintPending()) {
        painting_ = true;
        Handle([this] { form_.PaintNow(); });
        painting_ = false;
    }
    CopySurface();
    QPainter painter(this);
    const QRect area = event->rect();
    painter.fillRect(area, palette().color(QPalette::Window));
    painter.drawImage(area.topLeft(), image_, area);
}

bool TClientWidget::Holds(TControl* control) const {
    const auto& controls = form_.Controls();
    return std::find(controls.begin(), controls.end(), control) != controls.end();
}

TControl* TClientWidget::ControlAt(const QPoint& point) const {
    const auto& controls = form_.Controls();
    // The control made last lies on top.
    for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
        TControl* c = *it;
        if (!c->Visible() || dynamic_cast<TWinControl*>(c)) continue;
        if (point.x() >= c->Left() && point.x() < c->Left() + c->Width() && point.y() >= c->Top() &&
            point.y() < c->Top() + c->Height())
            return c;
    }
    return nullptr;
}

void TClientWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    // While a button is held, the control that got the press follows the mouse
    // wherever it goes.
    TControl* control = capture_ && Holds(capture_) ? capture_ : ControlAt(p);
    if (!control || !control->OnMouseMove) return;
    const TShiftState shift = ShiftOf(event->buttons(), event->modifiers());
    const int x = p.x() - control->Left(), y = p.y() - control->Top();
    Handle([control, shift, x, y] { control->OnMouseMove(control, shift, x, y); });
}

void TClientWidget::mousePressEvent(QMouseEvent* event) {
    if (!capture_) capture_ = ControlAt(event->position().toPoint());
}

void TClientWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->buttons() == Qt::NoButton) capture_ = nullptr;
}

void TClientWidget::contextMenuEvent(QContextMenuEvent* event) {
    TControl* control = ControlAt(event->pos());
    if (!control || !control->OnContextPopup) return;
    const int x = event->pos().x() - control->Left(), y = event->pos().y() - control->Top();
    Handle([control, x, y] { control->OnContextPopup(control, x, y); });
}

TFormWidget::TFormWidget(TForm& form)
    : form_(form), client_(std::make_unique<TClientWidget>(this, form)) {}

TFormWidget::~TFormWidget() = default;

void TFormWidget::SetMenu(TMenuItem* root) {
    menuBar_.reset();
    if (root) {
        menuBar_ = std::make_unique<TMenuBarWidget>(this, *root);
        menuBar_->show();
    }
}

int TFormWidget::MenuBarHeight(int clientWidth) const {
    return menuBar_ ? menuBar_->heightForWidth(clientWidth) : 0;
}

void TFormWidget::LayOut(int clientWidth, int clientHeight) {
    layingOut_ = true;
    const int menuHeight = MenuBarHeight(clientWidth);
    if (menuBar_) menuBar_->setGeometry(0, 0, clientWidth, menuHeight);
    client_->setGeometry(0, menuHeight, clientWidth, clientHeight);
    const QSize size(clientWidth, menuHeight + clientHeight);
    // A window that sizes itself to its contents cannot be resized by hand.
    if (form_.AutoSize())
        setFixedSize(size);
    else {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        resize(size);
    }
    layingOut_ = false;
}

void TFormWidget::closeEvent(QCloseEvent* event) {
    // The window decides itself what closing means (Dismiss).
    event->ignore();
    Handle([this] { form_.CloseRequested(); });
}

void TFormWidget::resizeEvent(QResizeEvent*) {
    if (layingOut_ || form_.AutoSize()) return;
    // The user resized the window: the client area follows.
    const int menuHeight = MenuBarHeight(width());
    if (menuBar_) menuBar_->setGeometry(0, 0, width(), menuHeight);
    client_->setGeometry(0, menuHeight, width(), std::max(0, height() - menuHeight));
    if (width() != form_.ClientWidth() || height() - menuHeight != form_.ClientHeight())
        form_.SetClientSize(width(), std::max(0, height() - menuHeight));
}

void TFormWidget::moveEvent(QMoveEvent*) {
    // Where the user put the window is where it stays when it later changes size.
    const QPoint at = pos();
    if (at.x() != form_.Left() || at.y() != form_.Top())
        form_.TWindow::SetBounds(at.x(), at.y(), form_.Width(), form_.Height());
}

void TFormWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        // Coming back from the task bar repaints the whole client area, so what a
        // window canvas drew there gives way to the controls again.
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        if ((change->oldState() & Qt::WindowMinimized) && !(windowState() & Qt::WindowMinimized))
            form_.InvalidateRect({0, 0, form_.ClientWidth(), form_.ClientHeight()});
    }
    QWidget::changeEvent(event);
}

}  // namespace vardel
