#include "commands.h"

#include "args.h"
#include "clidoc.h"
#include "linkcommands.h"
#include "terminalcommands.h"
#include "filecommands.h"
#include "records.h"

#include "common/cformat.h"
#include "configdoc/paramlisting.h"
#include "configdoc/valueedit.h"
#include "dictionary/directories.h"

#include <QFileInfo>

#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace corvane::cli {
namespace {

const Command& CommandNamed(std::string_view name);

void PrintOut(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

// Parses a command's arguments; prints its help or the one-line complaint.
// Returns the exit code when the command is to stop here.
std::optional<int> Begin(std::string_view name, std::span<const std::string> args, std::span<const OptionDef> definitions,
                         std::size_t minPositional, std::size_t maxPositional, int failure, ParsedArgs& parsed)
{
    const Command& command = CommandNamed(name);
    parsed = ParseArgs(args, definitions);
    if (parsed.help) {
        PrintOut("Usage: corvane-cli " + std::string(command.synopsis) + "\n\n" + std::string(command.help));
        return kExitOk;
    }
    std::string problem = parsed.error;
    if (problem.empty() && parsed.positional.size() < minPositional)
        problem = "missing arguments";
    if (problem.empty() && parsed.positional.size() > maxPositional)
        problem = "too many arguments";
    if (problem.empty())
        return std::nullopt;
    PrintError("corvane-cli " + std::string(name) + ": " + problem + ". Usage: corvane-cli " +
               std::string(command.synopsis));
    return failure;
}

int Fail(const std::string& message, int code = kExitFailure)
{
    PrintError(message);
    return code;
}

std::optional<int> ParseLevel(const std::string& text)
{
    if (text.size() != 1 || text[0] < '0' || text[0] > '9')
        return std::nullopt;
    return text[0] - '0';
}

// ---- new

int RunNew(std::span<const std::string> args)
{
    static constexpr OptionDef definitions[] = {{"force", false}};
    ParsedArgs a;
    if (auto exit = Begin("new", args, definitions, 1, 1, kExitFailure, a))
        return *exit;
    const std::string& path = a.positional[0];
    if (QFileInfo::exists(QString::fromStdString(path)) && !a.has("force"))
        return Fail(path + " already exists; use --force to replace it with an empty data file.");
    auto doc = std::make_unique<CCorvaneDoc>();
    doc->OnNewDocument();
    if (auto error = SaveFile(*doc, path))
        return Fail(*error);
    return kExitOk;
}

// ---- info

int RunInfo(std::span<const std::string> args)
{
    ParsedArgs a;
    if (auto exit = Begin("info", args, {}, 1, 1, kExitFailure, a))
        return *exit;
    auto doc = std::make_unique<CCorvaneDoc>();
    LoadedFile loaded;
    if (auto error = LoadFile(a.positional[0], *doc, &loaded))
        return Fail(*error);
    std::string out;
    out += CFormat("File type id: %d\n", loaded.header.fileTypeId);
    out += CFormat("Revision: %.2f\n", static_cast<double>(loaded.header.revision));
    out += "Product: " + loaded.header.product + "\n";
    out += "Notice: " + loaded.header.notice + "\n";
    if (doc->commPort == 0) {
        out += "Comm port: TCP/IP\n";
        out += "Address: " + DottedQuad(doc->controllerAddress) + "\n";
    } else {
        out += CFormat("Comm port: COM%d\n", doc->commPort);
        out += CFormat("Address: %u\n", doc->controllerAddress);
    }
    out += CFormat("Codes with a value: %d\n", doc->valueCount());
    const LoadReport& r = loaded.report;
    if (r.recordsSkipped > 0)
        out += CFormat("Records for unknown codes (not loaded): %d\n", r.recordsSkipped);
    if (r.recordsDropped > 0)
        out += CFormat("Records of the wrong kind (not loaded): %d\n", r.recordsDropped);
    if (r.recordsConverted > 0)
        out += CFormat("Records converted to the code's own type: %d\n", r.recordsConverted);
    PrintOut(out);
    return kExitOk;
}

// ---- list

int RunList(std::span<const std::string> args)
{
    static constexpr OptionDef definitions[] = {{"dir", true}, {"levels", false}, {"min-level", true}};
    ParsedArgs a;
    if (auto exit = Begin("list", args, definitions, 1, 1, kExitFailure, a))
        return *exit;
    std::optional<int> selection;
    std::string error;
    if (auto dir = a.value("dir")) {
        selection = ParseDirectory(*dir, error);
        if (!selection)
            return Fail(error);
    }
    ListingOptions options;
    options.showLevels = a.has("levels");
    if (auto s = a.value("min-level")) {
        auto level = ParseLevel(*s);
        if (!level || *level > 2)
            return Fail("--min-level takes 0 (print all), 1 (level 2 and above) or 2 (level 3 only).");
        options.suppressBelowLevel = *level;
    }
    auto doc = std::make_unique<CCorvaneDoc>();
    if (auto loadError = LoadFile(a.positional[0], *doc))
        return Fail(*loadError);
    std::string out;
    for (const std::string& line : ListingLines(doc->chain(), doc->images(), ListingDirectories(selection), options))
        out += line + "\n";
    PrintOut(out);
    return kExitOk;
}

// ---- get

int RunGet(std::span<const std::string> args)
{
    static constexpr OptionDef definitions[] = {{"level", false}};
    ParsedArgs a;
    if (auto exit = Begin("get", args, definitions, 3, 3, kExitFailure, a))
        return *exit;
    std::string error;
    auto dir = ParseDirectory(a.positional[1], error);
    if (!dir)
        return Fail(error);
    auto doc = std::make_unique<CCorvaneDoc>();
    if (auto loadError = LoadFile(a.positional[0], *doc))
        return Fail(*loadError);
    DBParam* p = FindCode(*doc, *dir, a.positional[2], error);
    if (!p)
        return Fail(error);
    PrintOut((a.has("level") ? SecurityLevelText(*p, doc->images()) : ParamValueColumn(*p, doc->images())) + "\n");
    return kExitOk;
}

// ---- set

int RunSet(std::span<const std::string> args)
{
    static constexpr OptionDef definitions[] = {{"level", true}};
    ParsedArgs a;
    if (auto exit = Begin("set", args, definitions, 4, 4, kExitFailure, a))
        return *exit;
    std::string error;
    auto dir = ParseDirectory(a.positional[1], error);
    if (!dir)
        return Fail(error);
    std::optional<int> level;
    if (auto text = a.value("level")) {
        level = ParseLevel(*text);
        if (!level)
            return Fail(kSecurityLevelRangeMessage);
    }
    const std::string& path = a.positional[0];
    auto doc = std::make_unique<CCorvaneDoc>();
    if (auto loadError = LoadFileForRewrite(path, *doc))
        return Fail(*loadError);
    DBParam* p = FindCode(*doc, *dir, a.positional[2], error);
    if (!p)
        return Fail(error);
    if (auto refusal = ApplyOfflineEdit(*doc, *p, a.positional[3], level))
        return Fail(*refusal);
    if (auto saveError = SaveFile(*doc, path))
        return Fail(*saveError);
    return kExitOk;
}

// ---- export

int RunExport(std::span<const std::string> args)
{
    static constexpr OptionDef definitions[] = {{"format", true}};
    ParsedArgs a;
    if (auto exit = Begin("export", args, definitions, 1, 1, kExitFailure, a))
        return *exit;
    RecordFormat format = RecordFormat::Json;
    if (auto f = a.value("format")) {
        if (*f == "csv")
            format = RecordFormat::Csv;
        else if (*f != "json")
            return Fail("--format takes json or csv, not \"" + *f + "\".");
    }
    auto doc = std::make_unique<CCorvaneDoc>();
    if (auto loadError = LoadFile(a.positional[0], *doc))
        return Fail(*loadError);
    PrintOut(ExportRecords(*doc, format));
    return kExitOk;
}

// ---- import

std::string LineError(int line, std::string_view message) { return CFormat("line %d: ", line) + std::string(message); }

int RunImport(std::span<const std::string> args)
{
    ParsedArgs a;
    if (auto exit = Begin("import", args, {}, 2, 2, kExitFailure, a))
        return *exit;
    const std::string& path = a.positional[0];
    const std::string& textPath = a.positional[1];
    std::vector<std::uint8_t> bytes;
    FileResult read = ReadWholeFile(textPath, bytes);
    if (!read.ok())
        return Fail("Cannot read " + textPath + (read.detail.empty() ? std::string() : ": " + read.detail));
    auto doc = std::make_unique<CCorvaneDoc>();
    if (auto loadError = LoadFileForRewrite(path, *doc))
        return Fail(*loadError);
    const ParsedRecords parsed =
        ParseRecords(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!parsed.ok())
        return Fail(LineError(parsed.errorLine, parsed.error));
    int changed = 0;
    for (const CodeRecord& record : parsed.records) {
        std::string error;
        auto dir = record.directory.empty() ? std::nullopt : ParseDirectory(record.directory, error);
        if (!dir)
            return Fail(LineError(record.line, record.directory.empty() ? "no directory" : error));
        DBParam* p = FindCode(*doc, *dir, record.code, error);
        if (!p)
            return Fail(LineError(record.line, error));
        if (!record.value)
            return Fail(LineError(record.line, "no value"));
        std::optional<int> level;
        if (!record.level.empty() && record.level != "N/A") {
            level = ParseLevel(record.level);
            if (!level || *level > 3)
                return Fail(LineError(record.line, kSecurityLevelRangeMessage));
            if (*level == 0)
                level.reset(); // not set: the level stays as it is
        }
        // A record that matches what the file holds changes nothing and needs no
        // check (read-only codes read from a controller come back this way).
        const bool sameValue = p->hasValue() && ExactValueText(*p, doc->images()) == *record.value;
        if (sameValue && (!level || *level == p->SecurityLevel(doc->images())))
            continue;
        if (auto refusal = ApplyOfflineEdit(*doc, *p, *record.value, level))
            return Fail(LineError(record.line, *refusal));
        ++changed;
    }
    if (changed > 0) {
        if (auto saveError = SaveFile(*doc, path))
            return Fail(*saveError);
    }
    PrintOut(CFormat("%zu record(s) read, %d code(s) changed.\n", parsed.records.size(), changed));
    return kExitOk;
}

// ---- diff

std::string DiffSide(const DBParam& p, const ValueImages& images)
{
    std::string side;
    if (!p.hasValue())
        side = "(no value)";
    else if (p.entry().type == ValueType::Text)
        side = "\"" + ExactValueText(p, images) + "\"";
    else
        side = ExactValueText(p, images);
    if (p.hasSecurityLevel())
        side += ", level " + SecurityLevelText(p, images);
    return side;
}

int RunDiff(std::span<const std::string> args)
{
    ParsedArgs a;
    if (auto exit = Begin("diff", args, {}, 2, 2, kDiffFailure, a))
        return *exit;
    auto left = std::make_unique<CCorvaneDoc>();
    auto right = std::make_unique<CCorvaneDoc>();
    if (auto error = LoadFile(a.positional[0], *left))
        return Fail(*error, kDiffFailure);
    if (auto error = LoadFile(a.positional[1], *right))
        return Fail(*error, kDiffFailure);
    auto codesA = left->chain().all();
    auto codesB = right->chain().all();
    std::string out;
    for (std::size_t i = 0; i < codesA.size() && i < codesB.size(); ++i) {
        const DBParam& pa = codesA[i];
        const DBParam& pb = codesB[i];
        // A code without a value in either file has no record: its shared level is not its own.
        if (!pa.hasValue() && !pb.hasValue())
            continue;
        const bool differ = pa.hasValue() != pb.hasValue() ||
                            pa.SecurityLevel(left->images()) != pb.SecurityLevel(right->images()) ||
                            (pa.hasValue() && ExactValueText(pa, left->images()) != ExactValueText(pb, right->images()));
        if (!differ)
            continue;
        out += CFormat("%d %s | %s | A: %s | B: %s\n", pa.directory(), std::string(DirectoryName(pa.directory())).c_str(),
                       std::string(pa.description()).c_str(), DiffSide(pa, left->images()).c_str(),
                       DiffSide(pb, right->images()).c_str());
    }
    PrintOut(out);
    return out.empty() ? kExitOk : kDiffDifferent;
}

constexpr Command kCommands[] = {
    {"new", "new FILE.mlb [--force]", "create a new, empty data file",
     "Creates a new, empty data file: no code holds a value; port COM1, address 1.\n"
     "An existing file is left alone unless --force is given.\n",
     RunNew},
    {"info", "info FILE.mlb", "show the file header, link settings and value count",
     "Shows the file type id, revision, product and notice texts, the comm port and\n"
     "controller address, and the number of codes holding a value.\n",
     RunInfo},
    {"list", "list FILE.mlb [--dir DIR] [--levels] [--min-level S]", "print the parameter listing",
     "Prints the parameter listing: per directory a title \"NAME Directory\", one blank\n"
     "line, one line per code (description in 40 columns, value in 32), then two blank\n"
     "lines. Without --dir: directories 1 to 10, then 12 to 23; --dir Configuration\n"
     "gives 1 to 4 and --dir Recipe 12 to 23.\n"
     "  --levels       append each code's security level (N/A when not set)\n"
     "  --min-level S  leave out codes of level S or lower: 0 prints all, 1 level 2\n"
     "                 and above, 2 level 3 only\n",
     RunList},
    {"get", "get FILE.mlb DIR CODE [--level]", "show one code's value",
     "Shows the value of a code as the parameter list does: empty when the code holds\n"
     "no value; list codes show the value, a blank and the option text.\n"
     "  --level  show the security level instead (N/A when not set)\n",
     RunGet},
    {"set", "set FILE.mlb DIR CODE VALUE [--level L]", "change one code's value",
     "Sets a code's value with the checks of its editor and marks it as holding a value:\n"
     "  numbers      must lie in the code's range; integer codes keep the whole part\n"
     "  text         at most the code's number of characters; 737 takes HH:MMT\n"
     "               (T = A, P or M)\n"
     "  list codes   the option number, the exact option text, or both (\"3 Remote Start\")\n"
     "  alarm codes  the bit mask (\"5\") or \"bits:\" and bit numbers 0-15 (\"bits:0,2\")\n"
     "  IP codes     a.b.c.d or the 32-bit number\n"
     "Read-only codes are refused. The file is written atomically.\n"
     "  --level L  also set the security level, 1 to 3\n",
     RunSet},
    {"export", "export FILE.mlb [--format json|csv]", "write every value as JSON or CSV",
     "Writes one record per code holding a value, in directory order, to standard\n"
     "output: directory number and name, code, description, value and security level\n"
     "(null or empty for codes without one). JSON is an array with one object per line;\n"
     "CSV has a header row. The value is the stored text of text codes, the number, a\n"
     "blank and the option text of list codes, and the shown value otherwise (floating\n"
     "values that show rounded are written in full).\n",
     RunExport},
    {"import", "import FILE.mlb TEXTFILE", "apply values from an export",
     "Reads records in the form export writes (JSON or CSV, told apart by content) and\n"
     "applies them with the checks of set. Either every record is applied or, on the\n"
     "first bad record, none: the error names its line. Records that match the file\n"
     "already are accepted as they are. A level of 0, N/A or none leaves the level.\n",
     RunImport},
    {"diff", "diff A.mlb B.mlb", "list the codes whose values differ",
     "Prints one line per code whose value, has-value flag or security level differ:\n"
     "directory, description and both sides. Exits 0 when equal, 1 when different and\n"
     "2 on error.\n",
     RunDiff},
};

const Command& CommandNamed(std::string_view name)
{
    for (const Command& c : kCommands)
        if (c.name == name)
            return c;
    return kCommands[0];
}

} // namespace

std::span<const Command> Commands()
{
    static const std::vector<Command> all = [] {
        std::vector<Command> commands(std::begin(kCommands), std::end(kCommands));
        const auto link = LinkCommands();
        commands.insert(commands.end(), link.begin(), link.end());
        const auto terminal = TerminalCommands();
        commands.insert(commands.end(), terminal.begin(), terminal.end());
        const auto files = FileCommands();
        commands.insert(commands.end(), files.begin(), files.end());
        return commands;
    }();
    return all;
}

} // namespace corvane::cli
