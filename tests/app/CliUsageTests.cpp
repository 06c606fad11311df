// vardel-cli's usage text names every command that `run` accepts: the captions of the
// main window's menu commands, in the menu's order.
#include <cstdio>

#include "tests/app/WorkbenchFixture.h"

using namespace vardel;
using namespace vardel::test;

namespace {

void LeafCaptions(TMenuItem& item, std::vector<std::string>& captions) {
    for (int i = 0; i < item.Count(); ++i) {
        TMenuItem& child = item.Item(i);
        if (child.Count() == 0)
            captions.push_back(child.Caption());
        else
            LeafCaptions(child, captions);
    }
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \n");
    const size_t last = text.find_last_not_of(" \n.");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

}  // namespace

TEST_F(WorkbenchTest, TheCompanionsUsageListsEveryMenuCommandThatRunAccepts) {
    FILE* pipe = popen((std::string(VARDEL_CLI) + " 2>&1").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string usage;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) usage += buffer;
    pclose(pipe);
    const std::string head = "COMMAND is the caption of a menu command of the workbench:\n";
    const size_t start = usage.find(head);
    ASSERT_NE(start, std::string::npos) << usage;
    const size_t end = usage.find(".\n", start);
    const std::string list = usage.substr(start + head.size(), end - start - head.size());
    std::vector<std::string> listed;
    for (size_t from = 0; from <= list.size();) {
        const size_t comma = std::min(list.find(',', from), list.size());
        listed.push_back(Trim(list.substr(from, comma - from)));
        from = comma + 1;
    }
    std::vector<std::string> commands;
    LeafCaptions(Form1->MainMenu1->Items(), commands);
    EXPECT_EQ(listed, commands);
}
