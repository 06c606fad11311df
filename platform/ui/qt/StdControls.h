// The native controls of a window: labels, edit fields and buttons. Each is a plain
// control (name, bounds, parent) with a Qt widget in the window's client area.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/gdi/Gdi.h"
#include "platform/ui/Control.h"

class QWidget;

namespace vardel {

class TForm;

class TWinControl : public TControl {
  public:
    ~TWinControl() override;
    std::string_view ClassName() const override { return "TWinControl"; }

    void SetBounds(int left, int top, int width, int height) override;
    TForm& Form() const { return form_; }

    // Position in the window's tab order; -1 for controls that take no focus.
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int order);
    // The window's font unless set here: a negative height is the character height in
    // pixels, 0 keeps the window's.
    void SetFontHeight(int height);
    int FontHeight() const { return fontHeight_; }
    void SetFontColor(gdi::COLORREF color);
    bool Enabled() const;
    void SetEnabled(bool enabled);

    QWidget* Widget() const;

  protected:
    TWinControl(TForm& form, std::string name, std::unique_ptr<QWidget> widget);
    void ApplyFont();
    // After the bounds, the font or the text changed.
    virtual void Adjust() {}

  private:
    friend class TForm;
    struct Peer;
    TForm& form_;
    std::unique_ptr<Peer> peer_;
    int tabOrder_ = -1;
    int fontHeight_ = 0;
};

// A label keeps its layout size but grows to the right when the desktop's font
// needs more room for the caption, so that no text is cut off.
class TLabel : public TWinControl {
  public:
    TLabel(TForm& form, std::string name);
    std::string_view ClassName() const override { return "TLabel"; }
    std::string Caption() const;
    void SetCaption(const std::string& caption);

  protected:
    void Adjust() override;
};

class TEdit : public TWinControl {
  public:
    TEdit(TForm& form, std::string name);
    std::string_view ClassName() const override { return "TEdit"; }
    std::string Text() const;
    void SetText(const std::string& text);
};

class TButton : public TWinControl {
  public:
    TButton(TForm& form, std::string name);
    std::string_view ClassName() const override { return "TButton"; }
    std::string Caption() const;
    void SetCaption(const std::string& caption);
    // The window's default button: Enter presses it wherever the focus is in the
    // window, and it is drawn as such.
    bool Default() const;
    void SetDefault(bool on);
    // Runs with the button as sender when it is pressed.
    std::function<void(TObject* sender)> OnClick;
    // Presses the button as the user would (errors go to the error message box).
    void Click();
};

}  // namespace vardel
