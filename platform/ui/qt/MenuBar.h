// The menu bar of a window. Items that do not fit in one row wrap onto further rows,
// so that every command of a long bar stays in sight, as the layouts expect.
#pragma once

#include <QRect>
#include <QWidget>
#include <vector>

namespace vardel {

class TMenuItem;

class TMenuBarWidget : public QWidget {
  public:
    TMenuBarWidget(QWidget* parent, TMenuItem& root);

    // The height that the bar needs at this width (every row of items).
    int heightForWidth(int width) const override;
    bool hasHeightForWidth() const override { return true; }
    // Where item `index` of the bar is drawn at the current width.
    QRect ItemRect(int index) const;
    int ItemCount() const;
    // Acts as a click of the left button on item `index`.
    void ClickItem(int index);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    std::vector<QRect> Layout(int width) const;
    int ItemAt(const QPoint& point) const;
    int RowHeight() const;

    TMenuItem& root_;
    int hovered_ = -1;
    int open_ = -1;
};

}  // namespace vardel
