#include "platform/ui/qt/Form.h"

#include <QEventLoop>
#include <QLineEdit>

#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "platform/runtime/Exceptions.h"
#include "platform/ui/qt/Application.h"
#include "platform/ui/qt/FormWidget.h"
#include "platform/ui/qt/Menus.h"
#include "platform/ui/qt/QtFonts.h"
#include "platform/ui/qt/StdControls.h"

namespace vardel {

TForm::TForm(std::string name)
    : TWindow(std::move(name)), widget_(std::make_unique<TFormWidget>(*this)) {
    widget_->setObjectName(QString::fromStdString(Name()));
    widget_->setFont(DesktopFont(fontName_, fontHeight_));
    SetColor(gdi::GetSysColor(gdi::COLOR_BTNFACE));
    OnInvalidate = [this] { widget_->Client()->update(); };
    OnSurfaceChanged = [this](const gdi::RECT& area) { widget_->Client()->SurfaceChanged(area); };
    OnResize = [this] { ApplyGeometry(); };
    SetFrameExtent(2 * kFrameBorder, kTitleBarHeight + 2 * kFrameBorder);
    ApplyGeometry();
}

TForm::~TForm() {
    // The plain window outlives the peer by a moment: it must no longer call it.
    OnInvalidate = nullptr;
    OnSurfaceChanged = nullptr;
    OnResize = nullptr;
    if (modalLoop_) modalLoop_->quit();
    widget_->hide();
}

void TForm::SetCaption(std::string caption) {
    TWindow::SetCaption(std::move(caption));
    widget_->setWindowTitle(QString::fromStdString(Caption()));
}

void TForm::SetBounds(int left, int top, int width, int height) {
    // The menu bar's height depends on the client width, which the outer width gives.
    const int clientWidth = std::max(0, width - 2 * kFrameBorder);
    SetFrameExtent(2 * kFrameBorder,
                   kTitleBarHeight + 2 * kFrameBorder + widget_->MenuBarHeight(clientWidth));
    TWindow::SetBounds(left, top, width, height);
    ApplyGeometry();
}

void TForm::ApplyGeometry() {
    widget_->Place();
    // The outer size counts the menu bar's rows as the window shows them.
    SetFrameExtent(2 * kFrameBorder,
                   kTitleBarHeight + 2 * kFrameBorder + widget_->Placement().menuHeight);
}

void TForm::SetMenu(TMainMenu* menu) {
    menu_ = menu;
    widget_->SetMenu(menu ? &menu->Items() : nullptr);
    // The outer size stays; the client area makes room for the bar.
    SetBounds(Left(), Top(), Width(), Height());
}

void TForm::Present() {
    const bool opening = !Showing();
    widget_->show();
    widget_->raise();
    widget_->activateWindow();
    if (opening) {
        FocusFirstControl();
        // The desktop makes the window active a moment later, which can take the
        // selection away: the first control is given the focus again then.
        widget_->FocusFirstControlOnActivation(!widget_->isActiveWindow());
    }
}

void TForm::FocusFirstControl() {
    // Each time the window opens, typing goes to its first field and replaces the text
    // offered there.
    for (TWinControl* control : TabOrderControls()) {
        QWidget* widget = control->Widget();
        if (!widget || !widget->isVisible() || !widget->isEnabled()) continue;
        widget->setFocus(Qt::TabFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) edit->selectAll();
        return;
    }
}

TButton* TForm::DefaultButton() const {
    for (TWinControl* control : winControls_) {
        auto* button = dynamic_cast<TButton*>(control);
        if (button && button->Default() && button->Enabled() && button->Visible()) return button;
    }
    return nullptr;
}

int TForm::PresentModal() {
    if (Showing()) throw EInvalidOperation(msg::kVisibleModal);
    QEventLoop loop;
    // Whatever ends the modal state, the window is hidden and modeless again after it.
    struct ModalState {
        TForm& form;
        ~ModalState() {
            form.modalLoop_ = nullptr;
            form.modal_ = false;
            form.widget_->hide();
            form.widget_->setWindowModality(Qt::NonModal);
        }
    } state{*this};
    modalResult_ = mrNone;
    modal_ = true;
    modalLoop_ = &loop;
    widget_->setWindowModality(Qt::ApplicationModal);
    Present();
    const bool started = ApplicationStarted();
    if (started && Application().OnModalShown) Application().OnModalShown(*this);
    if (modalResult_ == mrNone && !(started && Application().Terminated()))
        loop.exec(QEventLoop::DialogExec);
    // The application ending leaves the loop without a result.
    if (modalResult_ == mrNone) modalResult_ = mrCancel;
    return modalResult_;
}

void TForm::SetModalResult(int result) {
    modalResult_ = result;
    if (modal_ && result != mrNone && modalLoop_) modalLoop_->quit();
}

void TForm::Dismiss() {
    if (modal_) {
        SetModalResult(mrCancel);
        return;
    }
    widget_->hide();
    if (ApplicationStarted() && Application().MainForm() == this) Application().Terminate();
}

void TForm::CloseRequested() {
    Dismiss();
}

void TForm::RepaintNow() {
    PaintNow();
    if (Showing()) widget_->Client()->repaint();
}

bool TForm::Showing() const {
    return widget_->isVisible();
}

void TForm::SetFontHeight(int height) {
    fontHeight_ = height;
    widget_->setFont(DesktopFont(fontName_, fontHeight_));
    for (TWinControl* control : winControls_) control->ApplyFont();
}

void TForm::SetFontName(std::string name) {
    fontName_ = std::move(name);
    SetFontHeight(fontHeight_);
}

void TForm::Popup(TPopupMenu& menu, int x, int y) {
    const QPoint at = widget_->Client()->mapToGlobal(QPoint(x, y));
    menu.Popup(at.x(), at.y());
}

void TForm::AddWinControl(TWinControl* control) {
    winControls_.push_back(control);
}

void TForm::RemoveWinControl(TWinControl* control) {
    winControls_.erase(std::remove(winControls_.begin(), winControls_.end(), control),
                       winControls_.end());
}

std::vector<TWinControl*> TForm::TabOrderControls() const {
    std::vector<TWinControl*> ordered;
    for (TWinControl* c : winControls_)
        if (c->TabOrder() >= 0) ordered.push_back(c);
    std::stable_sort(
        ordered.begin(), ordered.end(),
        [](const TWinControl* a, const TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
    return ordered;
}

void TForm::UpdateTabOrder() {
    const std::vector<TWinControl*> ordered = TabOrderControls();
    for (size_t i = 1; i < ordered.size(); ++i) {
        if (ordered[i - 1]->Widget() && ordered[i]->Widget())
            QWidget::setTabOrder(ordered[i - 1]->Widget(), ordered[i]->Widget());
    }
}

QWidget* TForm::Widget() const {
    return widget_.get();
}

QWidget* TForm::ClientWidget() const {
    return widget_->Client();
}

}  // namespace vardel
