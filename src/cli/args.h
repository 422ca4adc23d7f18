#pragma once
// A small command-line parser: positional arguments and "--name[=value]" options.

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::cli {

struct OptionDef {
    std::string_view name; // without the leading "--"
    bool takesValue = false;
};

struct ParsedArgs {
    std::vector<std::string> positional;
    std::map<std::string, std::string, std::less<>> options; // flags hold an empty text
    bool help = false;
    std::string error; // empty when the arguments parsed

    bool has(std::string_view name) const { return options.find(name) != options.end(); }
    std::optional<std::string> value(std::string_view name) const;
};

// Everything after a lone "--" is positional, as is every argument that does
// not start with "--" (so "-1.5" is a value, not an option).
ParsedArgs ParseArgs(std::span<const std::string> args, std::span<const OptionDef> definitions);

} // namespace corvane::cli
