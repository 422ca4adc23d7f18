// corvane-cli: reads and edits configuration data files (.mlb) from the command line,
// and moves their values to and from a controller.

#include "clidoc.h"
#include "commands.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

void PrintUsage()
{
    std::string text = "Usage: corvane-cli COMMAND [ARGUMENTS]\n\nCommands:\n";
    for (const auto& command : corvane::cli::Commands()) {
        std::string line = "  " + std::string(command.synopsis);
        if (line.size() < 60)
            line.resize(60, ' ');
        else
            line += "\n" + std::string(60, ' ');
        text += line + std::string(command.summary) + "\n";
    }
    text += "\nDIR is a directory number 0-23 or its name (\"Wild Stream Meter\", \"Recipe 5\"); CODE is the code "
            "number.\nLINK OPTIONS (--tcp, --com, --device, --line, --terminal, --mini, --address, --timeout,\n"
            "--on-error) replace the link the file stores; see \"corvane-cli contact --help\".\n"
            "Run \"corvane-cli COMMAND --help\" for the details of a command.\n";
    std::fputs(text.c_str(), stdout);
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintUsage();
        return corvane::cli::kExitOk;
    }
    for (const auto& command : corvane::cli::Commands())
        if (command.name == args[0])
            return command.run(std::span<const std::string>(args).subspan(1));
    corvane::cli::PrintError("Unknown command \"" + args[0] + "\"; run corvane-cli --help for the list of commands.");
    return corvane::cli::kExitFailure;
}
