#include "platform/ui/qt/FormWidget.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QWindow>

#include <algorithm>
#include <cstdlib>

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

// The menu bar wraps onto at most this many rows before a window that sizes itself to
// its contents grows wider for it.
constexpr int kMenuRows = 2;
// What one press of an arrow key or one step of a scroll bar's arrow scrolls.
constexpr int kScrollStep = 20;

gdi::RECT ToRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
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
    gdi::GetDIBits(screen, surface, static_cast<unsigned>(h - bottom),
                   static_cast<unsigned>(bottom - top), image_.bits(), info, gdi::DIB_RGB_COLORS);
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
    // The mouse takes over from the keyboard's use of the menu bar.
    if (TMenuBarWidget* bar = static_cast<TFormWidget*>(parentWidget())->MenuBar())
        bar->Deactivate();
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
    : form_(form),
      client_(std::make_unique<TClientWidget>(this, form)),
      horizontal_(std::make_unique<QScrollBar>(Qt::Horizontal, this)),
      vertical_(std::make_unique<QScrollBar>(Qt::Vertical, this)),
      corner_(std::make_unique<QWidget>(this)) {
    corner_->setAutoFillBackground(true);
    corner_->hide();
    for (QScrollBar* bar : {horizontal_.get(), vertical_.get()}) {
        // The keys that scroll go to the window, never to a bar.
        bar->setFocusPolicy(Qt::NoFocus);
        bar->setSingleStep(kScrollStep);
        bar->hide();
        connect(bar, &QScrollBar::valueChanged, this, [this] {
            if (!layingOut_) Scrolled();
        });
    }
}

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

QMargins TFormWidget::FrameMargins() const {
    QMargins margins(kFrameBorder, kTitleBarHeight + kFrameBorder, kFrameBorder, kFrameBorder);
    if (testAttribute(Qt::WA_WState_Created)) {
        const QRect inner = geometry(), outer = frameGeometry();
        margins.setLeft(std::max(margins.left(), inner.left() - outer.left()));
        margins.setTop(std::max(margins.top(), inner.top() - outer.top()));
        margins.setRight(std::max(margins.right(), outer.right() - inner.right()));
        margins.setBottom(std::max(margins.bottom(), outer.bottom() - inner.bottom()));
    }
    return margins;
}

void TFormWidget::Place() {
    TPlacementRequest request;
    request.client = QSize(form_.ClientWidth(), form_.ClientHeight());
    if (menuBar_) {
        if (form_.AutoSize()) request.leastWidth = menuBar_->LeastWidth(kMenuRows);
        request.menuHeight = [this](int width) { return menuBar_->heightForWidth(width); };
    }
    request.position = QPoint(form_.Left(), form_.Top());
    QScreen* screen = QGuiApplication::screenAt(request.position);
    if (!screen) screen = QGuiApplication::primaryScreen();
    request.screen = screen ? screen->availableGeometry() : QRect(0, 0, INT_MAX / 4, INT_MAX / 4);
    request.frame = FrameMargins();
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    request.scrollBars = QSize(extent, extent);
    placement_ = PlaceWindow(request);
    const TPlacement& p = placement_;
    const QSize view = p.view;

    layingOut_ = true;
    if (menuBar_) menuBar_->setGeometry(0, 0, p.width, p.menuHeight);
    horizontal_->setRange(0, std::max(0, request.client.width() - view.width()));
    horizontal_->setPageStep(std::max(1, view.width()));
    horizontal_->setGeometry(0, p.menuHeight + view.height(), view.width(), extent);
    horizontal_->setVisible(p.horizontal);
    vertical_->setRange(0, std::max(0, request.client.height() - view.height()));
    vertical_->setPageStep(std::max(1, view.height()));
    vertical_->setGeometry(view.width(), p.menuHeight, extent, view.height());
    vertical_->setVisible(p.vertical);
    corner_->setGeometry(view.width(), p.menuHeight + view.height(), extent, extent);
    QPalette palette = corner_->palette();
    palette.setColor(QPalette::Window, WindowColor());
    corner_->setPalette(palette);
    corner_->setVisible(p.horizontal && p.vertical);
    origin_ = QPoint(horizontal_->value(), vertical_->value());
    client_->setGeometry(-origin_.x(), p.menuHeight - origin_.y(), request.client.width(),
                         request.client.height());
    placedSize_ = QSize(p.width, p.Height());
    // A window that sizes itself to its contents cannot be resized by hand.
    if (form_.AutoSize()) {
        setFixedSize(placedSize_);
    } else {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        resize(placedSize_);
    }
    if (isVisible() && p.position != pos()) {
        // The desktop reports the moves of a window it shows a while later, one by one.
        movesPending_.push_back(p.position);
        if (movesPending_.size() > 8) movesPending_.erase(movesPending_.begin());
    }
    move(p.position);
    layingOut_ = false;
}

gdi::RECT TFormWidget::VisibleClientRect() const {
    return ToRect(QRect(origin_, placement_.view) &
                  QRect(0, 0, form_.ClientWidth(), form_.ClientHeight()));
}

void TFormWidget::Scrolled() {
    const QPoint origin(horizontal_->value(), vertical_->value());
    if (origin == origin_) return;
    const QRegion uncovered =
        QRegion(QRect(origin, placement_.view)).subtracted(QRect(origin_, placement_.view));
    origin_ = origin;
    client_->move(-origin_.x(), placement_.menuHeight - origin_.y());
    // As on a screen that scrolls, the part that comes into sight is painted from the
    // controls; what a window canvas drew there is gone.
    for (const QRect& r : uncovered) form_.InvalidateRect(ToRect(r));
}

bool TFormWidget::ScrollByKey(int key) {
    struct TScrollKey {
        int key;
        bool across;
        QAbstractSlider::SliderAction action;
    };
    static constexpr TScrollKey kKeys[] = {
        {Qt::Key_Up, false, QAbstractSlider::SliderSingleStepSub},
        {Qt::Key_Down, false, QAbstractSlider::SliderSingleStepAdd},
        {Qt::Key_PageUp, false, QAbstractSlider::SliderPageStepSub},
        {Qt::Key_PageDown, false, QAbstractSlider::SliderPageStepAdd},
        {Qt::Key_Home, false, QAbstractSlider::SliderToMinimum},
        {Qt::Key_End, false, QAbstractSlider::SliderToMaximum},
        {Qt::Key_Left, true, QAbstractSlider::SliderSingleStepSub},
        {Qt::Key_Right, true, QAbstractSlider::SliderSingleStepAdd},
    };
    for (const TScrollKey& k : kKeys) {
        if (k.key != key) continue;
        QScrollBar* bar = k.across ? horizontal_.get() : vertical_.get();
        if (bar->isHidden()) return false;
        bar->triggerAction(k.action);
        return true;
    }
    return false;
}

void TFormWidget::ToggleMenuBar() {
    if (menuBar_->Active())
        menuBar_->Deactivate();
    else
        menuBar_->Activate(0);
}

void TFormWidget::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    altAlone_ = key == Qt::Key_Alt && (modifiers & ~Qt::AltModifier) == Qt::NoModifier;
    if (altAlone_) return;
    if (modifiers == Qt::NoModifier) {
        if (key == Qt::Key_F10 && menuBar_) {
            ToggleMenuBar();
            return;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (TButton* button = form_.DefaultButton()) {
                button->Click();
                return;
            }
        }
        // Escape closes a dialog as its title-bar button does.
        if (key == Qt::Key_Escape && form_.Modal()) {
            Handle([this] { form_.CloseRequested(); });
            return;
        }
        if (ScrollByKey(key)) return;
    }
    event->ignore();
}

void TFormWidget::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Alt && altAlone_ && !event->isAutoRepeat() && menuBar_) {
        altAlone_ = false;
        ToggleMenuBar();
        return;
    }
    event->ignore();
}

void TFormWidget::wheelEvent(QWheelEvent* event) {
    // The wheel scrolls the way it turns; a window that scrolls only sideways takes the
    // ordinary wheel sideways.
    const QPoint delta = event->angleDelta();
    const bool sideways = std::abs(delta.x()) > std::abs(delta.y()) || vertical_->isHidden();
    QScrollBar* bar = sideways ? horizontal_.get() : vertical_.get();
    if (bar->isHidden()) {
        event->ignore();
        return;
    }
    QCoreApplication::sendEvent(bar, event);
}

QColor TFormWidget::WindowColor() const {
    const gdi::COLORREF color = form_.Color();
    return QColor(gdi::GetRValue(color), gdi::GetGValue(color), gdi::GetBValue(color));
}

void TFormWidget::paintEvent(QPaintEvent* event) {
    // Beside a picture narrower than the menu bar the window shows its own colour.
    QPainter(this).fillRect(event->rect(), WindowColor());
}

void TFormWidget::showEvent(QShowEvent* event) {
    if (!watchingExposure_ && windowHandle()) {
        windowHandle()->installEventFilter(this);
        watchingExposure_ = true;
    }
    QWidget::showEvent(event);
}

void TFormWidget::hideEvent(QHideEvent* event) {
    focusFirstOnActivation_ = false;
    QWidget::hideEvent(event);
}

bool TFormWidget::eventFilter(QObject* watched, QEvent* event) {
    // Uncovered, restored or shown again: the window paints what is in sight from its
    // controls, so what a window canvas drew there gives way to them, as on a screen.
    if (event->type() == QEvent::Expose && watched == windowHandle() && windowHandle()->isExposed())
        form_.InvalidateRect(VisibleClientRect());
    return false;
}

void TFormWidget::closeEvent(QCloseEvent* event) {
    // The window decides itself what closing means (Dismiss).
    event->ignore();
    Handle([this] { form_.CloseRequested(); });
}

void TFormWidget::resizeEvent(QResizeEvent*) {
    if (layingOut_ || form_.AutoSize() || size() == placedSize_) return;
    // The user resized the window: the client area follows.
    const int clientWidth = width(), clientHeight = std::max(0, height() - MenuBarHeight(width()));
    if (clientWidth != form_.ClientWidth() || clientHeight != form_.ClientHeight())
        form_.SetClientSize(clientWidth, clientHeight);
    else
        Place();
}

void TFormWidget::moveEvent(QMoveEvent*) {
    const QPoint at = pos();
    if (at == placement_.position) return;
    const auto pending = std::find(movesPending_.begin(), movesPending_.end(), at);
    if (pending != movesPending_.end()) {
        movesPending_.erase(movesPending_.begin(), pending + 1);
        return;
    }
    // The user moved the window: it stays where it was put when it later changes size.
    form_.TWindow::SetBounds(at.x(), at.y(), form_.Width(), form_.Height());
}

void TFormWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && focusFirstOnActivation_ && isActiveWindow()) {
        focusFirstOnActivation_ = false;
        form_.FocusFirstControl();
    }
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
