// The Qt peer of a window: a top-level widget holding the menu bar and the client
// widget, which shows the window's client surface and hands mouse events to the
// plain controls painted there.
#pragma once

#include <QImage>
#include <QWidget>

#include <climits>

#include "platform/gdi/Gdi.h"
#include <memory>

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
    // Places the menu bar and the client widget for a client area of this size.
    void LayOut(int clientWidth, int clientHeight);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    TForm& form_;
    // Child widgets; they go before the parent's own destructor would take them.
    std::unique_ptr<TMenuBarWidget> menuBar_;
    std::unique_ptr<TClientWidget> client_;
    bool layingOut_ = false;
};

}  // namespace vardel
