// The root of the object model: class names for messages, and assignment between
// persistent objects.
#pragma once

#include <string_view>

namespace vardel {

class TObject {
public:
    virtual ~TObject() = default;
    virtual std::string_view ClassName() const { return "TObject"; }
};

class TPersistent : public TObject {
public:
    std::string_view ClassName() const override { return "TPersistent"; }
    // Copies source into this object. The default asks the source to assign itself
    // (AssignTo), which refuses with "Cannot assign a %s to a %s".
    virtual void Assign(const TPersistent* source);

protected:
    virtual void AssignTo(TPersistent* dest) const;
    [[noreturn]] void AssignError(const TPersistent* source) const;
};

}  // namespace vardel
