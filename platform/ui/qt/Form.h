// A top-level window on Qt: the plain window (bounds, client surface, controls) with
// a Qt peer that shows the client surface, hosts the native controls and the menu
// bar, and turns the desktop's events into the handlers of the controls.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Control.h"

class QEventLoop;
class QWidget;

namespace vardel {

class TFormWidget;
class TMainMenu;
class TButton;
class TPopupMenu;
class TWinControl;

inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;

// The frame that the layouts' outer sizes include besides the menu bar: a sizeable
// border on every side and the title bar, as the layouts were measured with.
inline constexpr int kFrameBorder = 4;
inline constexpr int kTitleBarHeight = 19;

class TForm : public TWindow {
  public:
    explicit TForm(std::string name);
    ~TForm() override;
    std::string_view ClassName() const override { return "TForm"; }

    void SetCaption(std::string caption) override;
    // Outer bounds: the frame and the menu bar are taken off for the client area.
    void SetBounds(int left, int top, int width, int height) override;

    // Makes the window visible and brings it to the front; the caller goes on. A window
    // that opens gives the focus to the first control of its tab order, an edit field
    // with its text selected.
    void Present();
    // Shows the window and handles events in a nested loop until it is dismissed,
    // then hides it and returns ModalResult. The other windows take no input
    // meanwhile. A window that is already visible cannot be made modal.
    int PresentModal();
    // A modal window: ModalResult becomes mrCancel, which ends its loop. The main
    // window: the program's event loop ends. Any other window: hidden.
    void Dismiss();
    // Paints the client area and shows it at once.
    void RepaintNow();
    int ModalResult() const { return modalResult_; }
    // A non-zero result ends the modal loop.
    void SetModalResult(int result);
    bool Showing() const;
    bool Modal() const { return modal_; }

    // The window's font, used by its controls unless they set their own. A negative
    // height is the character height in pixels. "MS Sans Serif" is the desktop's
    // sans-serif font.
    int FontHeight() const { return fontHeight_; }
    void SetFontHeight(int height);
    const std::string& FontName() const { return fontName_; }
    void SetFontName(std::string name);

    // The menu bar (none to remove it). The window keeps its outer size.
    void SetMenu(TMainMenu* menu);
    TMainMenu* Menu() const { return menu_; }
    // Opens a pop-up menu at a point of the client area.
    void Popup(TPopupMenu& menu, int x, int y);

    // The native controls in their tab order.
    std::vector<TWinControl*> TabOrderControls() const;
    // The button that Enter presses wherever the focus is in the window, if any.
    TButton* DefaultButton() const;

    // The Qt peer (tests and the controls' widgets).
    QWidget* Widget() const;
    QWidget* ClientWidget() const;

  private:
    friend class TFormWidget;
    friend class TWinControl;

    void AddWinControl(TWinControl* control);
    void RemoveWinControl(TWinControl* control);
    void UpdateTabOrder();
    // Typing goes to the first control of the tab order (an edit field's text selected).
    void FocusFirstControl();
    void ApplyGeometry();
    void CloseRequested();

    std::unique_ptr<TFormWidget> widget_;
    TMainMenu* menu_ = nullptr;
    std::vector<TWinControl*> winControls_;
    std::string fontName_ = "MS Sans Serif";
    int fontHeight_ = -11;
    int modalResult_ = mrNone;
    bool modal_ = false;
    QEventLoop* modalLoop_ = nullptr;  // while PresentModal runs
};

}  // namespace vardel
