#include "args.h"

namespace corvane::cli {

std::optional<std::string> ParsedArgs::value(std::string_view name) const
{
    auto it = options.find(name);
    if (it == options.end())
        return std::nullopt;
    return it->second;
}

ParsedArgs ParseArgs(std::span<const std::string> args, std::span<const OptionDef> definitions)
{
    ParsedArgs out;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            if (arg == "--" && !optionsEnded)
                optionsEnded = true;
            else
                out.positional.push_back(arg);
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        if (name == "help") {
            out.help = true;
            continue;
        }
        const OptionDef* option = nullptr;
        for (const OptionDef& s : definitions)
            if (s.name == name)
                option = &s;
        if (!option) {
            out.error = "unknown option --" + name;
            return out;
        }
        if (!option->takesValue) {
            if (equals != std::string::npos) {
                out.error = "option --" + name + " takes no value";
                return out;
            }
            out.options[name] = std::string();
            continue;
        }
        if (equals != std::string::npos) {
            out.options[name] = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            out.options[name] = args[++i];
        } else {
            out.error = "option --" + name + " needs a value";
            return out;
        }
    }
    return out;
}

} // namespace corvane::cli
