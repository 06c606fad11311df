// Menus: the items of a window's menu bar and of pop-up menus, each with its click
// handler and its enabled flag. A disabled item is greyed and cannot be chosen.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/Object.h"

class QAction;
class QMenu;

namespace vardel {

class TMenuItem : public TObject {
  public:
    TMenuItem(std::string name, std::string caption);
    ~TMenuItem() override;
    std::string_view ClassName() const override { return "TMenuItem"; }

    const std::string& Name() const { return name_; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    bool Enabled() const;
    void SetEnabled(bool enabled);

    // Adds a sub-item (owned by this item) and returns it.
    TMenuItem& Add(std::string name, std::string caption);
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem& Item(int index) const { return *items_.at(static_cast<size_t>(index)); }
    TMenuItem* Parent() const { return parent_; }
    // The sub-item with this caption at any depth below this item, or none.
    TMenuItem* FindByCaption(std::string_view caption);

    // Runs with the item as sender when the item is chosen.
    std::function<void(TObject* sender)> OnClick;
    // Chooses the item as the user would: nothing happens when it is disabled, and an
    // error that leaves the handler goes to the error message box.
    void Click();

    // The Qt peer: the action, and the drop-down of an item with sub-items.
    QAction* Action() const { return action_.get(); }
    QMenu* SubMenu() const { return subMenu_.get(); }

  private:
    void Fire();

    std::string name_;
    std::string caption_;
    TMenuItem* parent_ = nullptr;
    std::vector<std::unique_ptr<TMenuItem>> items_;
    std::unique_ptr<QMenu> subMenu_;
    std::unique_ptr<QAction> action_;
};

// A menu: its items are the sub-items of an invisible root item.
class TMenu : public TObject {
  public:
    explicit TMenu(std::string name);
    ~TMenu() override;
    const std::string& Name() const { return name_; }
    TMenuItem& Items() { return root_; }
    TMenuItem& Add(std::string name, std::string caption) {
        return root_.Add(std::move(name), std::move(caption));
    }
    TMenuItem* FindByCaption(std::string_view caption) { return root_.FindByCaption(caption); }

  private:
    std::string name_;
    TMenuItem root_;
};

// The menu bar of a window: items with sub-items open a drop-down, the others are
// commands of the bar itself.
class TMainMenu : public TMenu {
  public:
    using TMenu::TMenu;
    std::string_view ClassName() const override { return "TMainMenu"; }
};

class TPopupMenu : public TMenu {
  public:
    using TMenu::TMenu;
    std::string_view ClassName() const override { return "TPopupMenu"; }
    // Opens the menu at a point of the screen; returns at once, a chosen item runs
    // its handler from the event loop.
    void Popup(int screenX, int screenY);
    QMenu* Menu();
};

}  // namespace vardel
