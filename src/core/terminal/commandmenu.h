#pragma once
// The terminal's command menu: each item inserts a command prefix into the
// input line and shows the command's syntax while it is highlighted.

#include <string>
#include <string_view>
#include <vector>

namespace corvane {

struct CommandMenuItem {
    std::string submenu; // empty for prefixes that only serve the help lookup
    std::string text;    // menu text with mnemonic ("\t" before a shortcut)
    int id = 0;          // the item's identifier; its prefix is id + 1000
    std::string prefix;  // text inserted; a final CR executes it at once
    std::string prompt;  // syntax shown in the status line
};

// Every prefix in list order: the menu items, then the help-only prefixes.
const std::vector<CommandMenuItem>& CommandMenuItems();

// The submenus in menu order.
std::vector<std::string> CommandSubmenus();

const CommandMenuItem* FindCommandMenuItem(int id);

// The id of the "EQ" item, the one F4 selects.
inline constexpr int kStatusBitmapItem = 18101;

// The command the help topic follows: the last prefix in list order that
// starts with the input's first two characters; none for shorter input.
const CommandMenuItem* HelpCommandFor(std::string_view input);

} // namespace corvane
