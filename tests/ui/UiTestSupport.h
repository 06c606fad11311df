// Shared pieces of the window tests: recorded messages and a form with one plain
// control that paints a colour.
#pragma once

#include <QApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTimer>

#include <string>
#include <vector>

#include "platform/ui/Dialogs.h"
#include "platform/ui/qt/Form.h"

namespace vardel::test {

// Message boxes as the user would have seen them.
struct TMessageLog {
    struct Entry {
        std::string text, caption;
        TMessageIcon icon;
    };
    std::vector<Entry> entries;
    TDialogProviders Providers() {
        TDialogProviders p = DialogProviders();
        p.messageBox = [this](const std::string& text, const std::string& caption,
                              TMessageIcon icon) {
            entries.push_back({text, caption, icon});
            return 1;
        };
        return p;
    }
};

// A control that fills its area with one colour.
class TSwatch : public TControl {
  public:
    TSwatch(TWindow& parent, gdi::COLORREF color) : TControl("Swatch"), color_(color) {
        SetParent(&parent);
    }
    void Paint() override {
        gdi::HDC dc = ParentContext();
        gdi::HBRUSH brush = gdi::CreateSolidBrush(color_);
        gdi::FillRect(dc, ClientRect(), brush);
        gdi::ReleaseDC(dc);
    }

  private:
    gdi::COLORREF color_;
};

// The menu bar of a window (found by its class: it declares no Qt meta-object).
template <class Bar>
Bar* FindBar(const TForm& form) {
    for (QObject* child : form.Widget()->children())
        if (auto* bar = dynamic_cast<Bar*>(child)) return bar;
    return nullptr;
}

// Sends a mouse event at `at` in the widget's coordinates.
inline void SendMouse(QWidget* to, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(at), QPointF(to->mapToGlobal(at)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(to, &event);
}

// Handles events for a while (Qt's offscreen platform delivers them at once).
inline void ProcessEvents() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

}  // namespace vardel::test
