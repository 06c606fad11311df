// The production dialog providers: Qt's message box, message dialog and file
// dialogs in place of the defaults of Dialogs.h.
#pragma once

#include <string>
#include <vector>

namespace vardel {

void InstallQtDialogProviders();

// A filter "Description|*.ext|Description|*.a;*.b" as the entries that Qt's file
// dialog lists ("Description (*.ext)", "Description (*.a *.b)"). A description that
// already ends with its patterns in parentheses is not given them twice.
std::vector<std::string> QtNameFilters(const std::string& filter);

}  // namespace vardel
