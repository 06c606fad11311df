// The Qt peer of a window: a top-level widget holding the menu bar and the client
// widget, which shows the window's client surface and hands mouse events to the
// plain controls painted there. The peer places the window on the screen: a client
// area larger than the screen holds scrolls under scroll bars, a window that sizes
// itself to a small picture stays wide enough for its menu bar, and the window moves
// only as far as it must to lie on the screen. It also takes the window's keys: the
// menu bar's F10 and Alt, Enter for the default button, Escape to close a modal
// window, and the keys that scroll.
#pragma once

#include <QImage>
#include <QWidget>

#include <climits>
#include <memory>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/ui/qt/WindowPlacement.h"

class QScrollBar;

namespace vardel {

class TControl;
class TForm;
class TMenuBarWidget;
class TMenuItem;

class TClientWidget : public QWidget {
  public:
    TClientWidget(QWidget* parent, TForm& form);

    // The surface holds new pixels in `area`: show them at the next paint.
    void SurfaceChanged(const gdi::RECT& area);
    bool Painting() const { return painting_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    // Copies the rows of the surface that changed since the last copy.
    void CopySurface();
    TControl* ControlAt(const QPoint& point) const;
    bool Holds(TControl* control) const;

    TForm& form_;
    QImage image_;  // the client surface as last copied
    // Rows of the surface not yet copied into image_ (all of them at first).
    int copyTop_ = 0, copyBottom_ = INT_MAX;
    bool painting_ = false;
    TControl* capture_ = nullptr;  // the control that got the button press
};

class TFormWidget : public QWidget {
  public:
    explicit TFormWidget(TForm& form);

    ~TFormWidget() override;
    TClientWidget* Client() const { return client_.get(); }
    TMenuBarWidget* MenuBar() const { return menuBar_.get(); }
    void SetMenu(TMenuItem* root);
    int MenuBarHeight(int clientWidth) const;
    // Places the window for its position and client area as they are now: where it
    // goes, how large it shows, the menu bar, the scroll bars and the client widget.
    void Place();
    const TPlacement& Placement() const { return placement_; }
    QScrollBar* HorizontalScrollBar() const { return horizontal_.get(); }
    QScrollBar* VerticalScrollBar() const { return vertical_.get(); }
    // The part of the client area in sight, in client coordinates.
    gdi::RECT VisibleClientRect() const;
    // When the window next becomes active, its first control takes the focus.
    void FocusFirstControlOnActivation(bool on) { focusFirstOnActivation_ = on; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The title bar and borders around the window: what the desktop reports, and at
    // least what the layouts were measured with.
    QMargins FrameMargins() const;
    QColor WindowColor() const;
    // The client widget follows the scroll bars; what comes into sight is painted
    // from the controls.
    void Scrolled();
    bool ScrollByKey(int key);
    void ToggleMenuBar();

    TForm& form_;
    // Child widgets; they go before the parent's own destructor would take them. The
    // client lies lowest, so the scroll bars and the menu bar cover it when it scrolls.
    std::unique_ptr<TClientWidget> client_;
    std::unique_ptr<QScrollBar> horizontal_, vertical_;
    std::unique_ptr<QWidget> corner_;  // between the two scroll bars
    std::unique_ptr<TMenuBarWidget> menuBar_;
    TPlacement placement_;
    // Where the client widget shows the client area from (the scroll position).
    QPoint origin_;
    // The size the window was given, and the moves it was given that the desktop has
    // not reported yet: a resize or move to anything else comes from the user.
    QSize placedSize_;
    std::vector<QPoint> movesPending_;
    bool layingOut_ = false;
    bool watchingExposure_ = false;
    // Alt went down with no other key since: its release makes the menu bar active.
    bool altAlone_ = false;
    bool focusFirstOnActivation_ = false;
};

}  // namespace vardel
