#include "platform/ui/qt/Menus.h"

#include <QAction>
#include <QMenu>
#include <QString>

#include "platform/ui/qt/Application.h"

namespace vardel {

namespace {
// Captions show as they are: an "&" is no mnemonic here.
QString ActionText(const std::string& caption) {
    return QString::fromStdString(caption).replace(QLatin1Char('&'), QLatin1String("&&"));
}
}  // namespace

TMenuItem::TMenuItem(std::string name, std::string caption)
    : name_(std::move(name)), caption_(std::move(caption)), action_(std::make_unique<QAction>()) {
    action_->setText(ActionText(caption_));
    action_->setObjectName(QString::fromStdString(name_));
    QObject::connect(action_.get(), &QAction::triggered, [this] { Fire(); });
}

TMenuItem::~TMenuItem() {
    // The drop-down refers to the sub-items' actions: it goes first.
    if (action_) action_->setMenu(static_cast<QMenu*>(nullptr));
    subMenu_.reset();
    items_.clear();
}

void TMenuItem::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    action_->setText(ActionText(caption_));
}

bool TMenuItem::Enabled() const {
    return action_->isEnabled();
}

void TMenuItem::SetEnabled(bool enabled) {
    action_->setEnabled(enabled);
}

TMenuItem& TMenuItem::Add(std::string name, std::string caption) {
    auto item = std::make_unique<TMenuItem>(std::move(name), std::move(caption));
    item->parent_ = this;
    if (!subMenu_) {
        subMenu_ = std::make_unique<QMenu>();
        subMenu_->setTitle(ActionText(caption_));
        action_->setMenu(subMenu_.get());
    }
    subMenu_->addAction(item->action_.get());
    items_.push_back(std::move(item));
    return *items_.back();
}

TMenuItem* TMenuItem::FindByCaption(std::string_view caption) {
    for (auto& item : items_) {
        if (item->caption_ == caption) return item.get();
        if (TMenuItem* found = item->FindByCaption(caption)) return found;
    }
    return nullptr;
}

void TMenuItem::Click() {
    if (Enabled()) Fire();
}

void TMenuItem::Fire() {
    if (!OnClick) return;
    if (ApplicationStarted())
        Application().HandleEvent([this] { OnClick(this); });
    else
        OnClick(this);
}

TMenu::TMenu(std::string name) : name_(std::move(name)), root_(name_, "") {}

TMenu::~TMenu() = default;

QMenu* TPopupMenu::Menu() {
    if (!Items().SubMenu()) return nullptr;
    return Items().SubMenu();
}

void TPopupMenu::Popup(int screenX, int screenY) {
    if (QMenu* menu = Menu()) menu->popup(QPoint(screenX, screenY));
}

}  // namespace vardel
