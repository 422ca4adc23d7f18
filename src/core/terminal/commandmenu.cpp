#include "terminal/commandmenu.h"

#include <cstdlib>
#include <sstream>

namespace corvane {

namespace embedded {
extern const unsigned char terminal_command_menu[];
extern const std::size_t terminal_command_menu_size;
} // namespace embedded

namespace {

std::string Unescape(std::string_view field)
{
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 1 < field.size() && (field[i + 1] == 'r' || field[i + 1] == 't')) {
            out += field[i + 1] == 'r' ? '\r' : '\t';
            ++i;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<CommandMenuItem> Parse()
{
    std::vector<CommandMenuItem> items;
    std::istringstream in(std::string(reinterpret_cast<const char*>(embedded::terminal_command_menu),
                                      embedded::terminal_command_menu_size));
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            fields.push_back(line.substr(start, tab - start));
        fields.push_back(line.substr(start));
        if (fields.size() != 5)
            continue;
        items.push_back({Unescape(fields[0]), Unescape(fields[1]), std::atoi(fields[2].c_str()), Unescape(fields[3]),
                         Unescape(fields[4])});
    }
    return items;
}

} // namespace

const std::vector<CommandMenuItem>& CommandMenuItems()
{
    static const std::vector<CommandMenuItem> items = Parse();
    return items;
}

std::vector<std::string> CommandSubmenus()
{
    std::vector<std::string> names;
    for (const CommandMenuItem& item : CommandMenuItems())
        if (!item.submenu.empty() && (names.empty() || names.back() != item.submenu))
            names.push_back(item.submenu);
    return names;
}

const CommandMenuItem* FindCommandMenuItem(int id)
{
    for (const CommandMenuItem& item : CommandMenuItems())
        if (item.id == id && id != 0)
            return &item;
    return nullptr;
}

const CommandMenuItem* HelpCommandFor(std::string_view input)
{
    if (input.size() < 2)
        return nullptr;
    const CommandMenuItem* found = nullptr;
    for (const CommandMenuItem& item : CommandMenuItems())
        if (item.prefix.compare(0, 2, input.substr(0, 2)) == 0)
            found = &item;
    return found;
}

} // namespace corvane
