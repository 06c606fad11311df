// The menu bar of a window. Items that do not fit in one row wrap onto further rows,
// so that every command of a long bar stays in sight, as the layouts expect. The bar
// also works from the keyboard, as on other desktop programs: F10 or Alt alone make
// it active (the window handles those keys), the arrows move along the bar and
// between the drop-downs, Enter or Down chooses, Escape steps back.
#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>
#include <vector>

class QMenu;

namespace vardel {

class TMenuItem;

class TMenuBarWidget : public QWidget {
  public:
    TMenuBarWidget(QWidget* parent, TMenuItem& root);

    // The height that the bar needs at this width (every row of items).
    int heightForWidth(int width) const override;
    bool hasHeightForWidth() const override { return true; }
    // The least width at which every item shows whole in at most `rows` rows.
    int LeastWidth(int rows) const;
    // Where item `index` of the bar is drawn at the current width.
    QRect ItemRect(int index) const;
    int ItemCount() const;
    // Acts as a click of the left button on item `index`.
    void ClickItem(int index);

    // Keyboard use: the bar takes the focus with item `index` highlighted, and gives
    // the focus back when it is left.
    void Activate(int index = 0);
    void Deactivate();
    bool Active() const { return active_; }
    // The highlighted item while active, or -1.
    int Current() const { return active_ ? current_ : -1; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::vector<QRect> Layout(int width) const;
    int ItemAt(const QPoint& point) const;
    int RowHeight() const;
    int Rows(int width) const;
    // Opens the drop-down of item `index` with its first item selected, or runs the
    // item when it is a command of the bar itself.
    void Choose(int index);
    void DropDownHidden();

    TMenuItem& root_;
    int hovered_ = -1;
    int open_ = -1;
    bool active_ = false;
    int current_ = 0;
    // Escape closed the drop-down: the bar stays active on its item.
    bool escaped_ = false;
    // Left or Right closes one drop-down to open the next one.
    bool switching_ = false;
    // The arrows went from a drop-down to a command of the bar: the next item with a
    // drop-down that they reach opens it, as the drop-downs were being looked through.
    bool browsing_ = false;
    QPointer<QWidget> focusBefore_;
};

}  // namespace vardel
