// Shared pieces of the window tests: recorded messages and a form with one plain
// control that paints a colour.
#pragma once

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

#include <functional>

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

// Handles events until `done` holds, for a while at most (the offscreen platform
// activates a window a few events after it is shown).
inline bool ProcessEventsUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 200 && !done(); ++i) QApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

// Handles events until the window is the active one, so that keys reach it. Qt's
// offscreen platform never tells that a hidden window lost the focus, so a window
// shown again is still the focused one there and Qt does not make it active again;
// the test then does what a desktop's focus change would have done.
inline bool Activated(QWidget* window) {
    const auto active = [window] { return QApplication::activeWindow() == window; };
    if (ProcessEventsUntil(active)) return true;
    if (QGuiApplication::focusWindow() == window->windowHandle()) {
        QT_WARNING_PUSH
        QT_WARNING_DISABLE_DEPRECATED
        QApplication::setActiveWindow(window);
        QT_WARNING_POP
    }
    return ProcessEventsUntil(active);
}

// Where the desktop delivers a key: the open drop-down, else the focused control, else
// the active window.
inline QWidget* KeyReceiver() {
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup->focusWidget() ? popup->focusWidget() : popup;
    if (QWidget* focused = QApplication::focusWidget()) return focused;
    return QApplication::activeWindow();
}

// Presses and releases a key as the user would; false when nothing would receive it.
inline bool PressKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                     const QString& text = {}) {
    QWidget* receiver = KeyReceiver();
    if (!receiver) return false;
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(receiver, &press);
    if ((receiver = KeyReceiver())) {
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
        QApplication::sendEvent(receiver, &release);
    }
    return true;
}

// Types digits and letters (the keys that give them).
inline bool TypeText(const QString& text) {
    for (const QChar c : text)
        if (!PressKey(c.toUpper().unicode(), Qt::NoModifier, QString(c))) return false;
    return true;
}

}  // namespace vardel::test
