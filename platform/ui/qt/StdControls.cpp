#include "platform/ui/qt/StdControls.h"

#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPointer>
#include <QPushButton>

#include "platform/ui/qt/Application.h"
#include "platform/ui/qt/Form.h"
#include "platform/ui/qt/QtFonts.h"

namespace vardel {

// Owns the widget together with the window's client widget: whichever goes first
// takes it along (the pointer clears itself when the window goes first).
struct TWinControl::Peer {
    QPointer<QWidget> widget;
    ~Peer() { delete widget.data(); }
};

TWinControl::TWinControl(TForm& form, std::string name, std::unique_ptr<QWidget> widget)
    : TControl(std::move(name)), form_(form), peer_(std::make_unique<Peer>()) {
    widget->setParent(form.ClientWidget());
    widget->setObjectName(QString::fromStdString(Name()));
    peer_->widget = widget.release();
    peer_->widget->show();
    SetParent(&form);
    form.AddWinControl(this);
    ApplyFont();
}

TWinControl::~TWinControl() {
    form_.RemoveWinControl(this);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    TControl::SetBounds(left, top, width, height);
    if (peer_->widget) peer_->widget->setGeometry(left, top, width, height);
    Adjust();
}

void TWinControl::SetTabOrder(int order) {
    tabOrder_ = order;
    if (peer_->widget) peer_->widget->setFocusPolicy(order >= 0 ? Qt::StrongFocus : Qt::NoFocus);
    form_.UpdateTabOrder();
}

void TWinControl::SetFontHeight(int height) {
    fontHeight_ = height;
    ApplyFont();
}

void TWinControl::ApplyFont() {
    if (!peer_->widget) return;
    peer_->widget->setFont(
        DesktopFont(form_.FontName(), fontHeight_ ? fontHeight_ : form_.FontHeight()));
    Adjust();
}

void TWinControl::SetFontColor(gdi::COLORREF color) {
    if (!peer_->widget) return;
    QPalette palette = peer_->widget->palette();
    const QColor c(gdi::GetRValue(color), gdi::GetGValue(color), gdi::GetBValue(color));
    palette.setColor(QPalette::Text, c);
    palette.setColor(QPalette::WindowText, c);
    palette.setColor(QPalette::ButtonText, c);
    peer_->widget->setPalette(palette);
}

bool TWinControl::Enabled() const {
    return peer_->widget && peer_->widget->isEnabled();
}

void TWinControl::SetEnabled(bool enabled) {
    if (peer_->widget) peer_->widget->setEnabled(enabled);
}

QWidget* TWinControl::Widget() const {
    return peer_->widget.data();
}

TLabel::TLabel(TForm& form, std::string name)
    : TWinControl(form, std::move(name), std::make_unique<QLabel>()) {
    auto* label = static_cast<QLabel*>(Widget());
    label->setFocusPolicy(Qt::NoFocus);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TLabel::Adjust() {
    auto* label = static_cast<QLabel*>(Widget());
    if (!label) return;
    const int needed = label->fontMetrics().horizontalAdvance(label->text());
    if (needed > Width()) SetBounds(Left(), Top(), needed, Height());
}

std::string TLabel::Caption() const {
    return static_cast<QLabel*>(Widget())->text().toStdString();
}

void TLabel::SetCaption(const std::string& caption) {
    static_cast<QLabel*>(Widget())->setText(QString::fromStdString(caption));
    Adjust();
}

TEdit::TEdit(TForm& form, std::string name)
    : TWinControl(form, std::move(name), std::make_unique<QLineEdit>()) {}

std::string TEdit::Text() const {
    return static_cast<QLineEdit*>(Widget())->text().toStdString();
}

void TEdit::SetText(const std::string& text) {
    static_cast<QLineEdit*>(Widget())->setText(QString::fromStdString(text));
}

TButton::TButton(TForm& form, std::string name)
    : TWinControl(form, std::move(name), std::make_unique<QPushButton>()) {
    QObject::connect(static_cast<QPushButton*>(Widget()), &QPushButton::clicked,
                     [this] { Click(); });
}

std::string TButton::Caption() const {
    return static_cast<QPushButton*>(Widget())->text().toStdString();
}

void TButton::SetCaption(const std::string& caption) {
    static_cast<QPushButton*>(Widget())->setText(QString::fromStdString(caption));
}

bool TButton::Default() const {
    const auto* button = static_cast<QPushButton*>(Widget());
    return button && button->isDefault();
}

void TButton::SetDefault(bool on) {
    if (auto* button = static_cast<QPushButton*>(Widget())) button->setDefault(on);
}

void TButton::Click() {
    if (!OnClick || !Enabled()) return;
    if (ApplicationStarted())
        Application().HandleEvent([this] { OnClick(this); });
    else
        OnClick(this);
}

}  // namespace vardel
