#include "common/commandline.h"

#include "configdoc/valueedit.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace corvane {

namespace {

std::string Absolute(const std::string& path, const std::string& workingDirectory)
{
    if (path.empty())
        return path;
    QFileInfo info(QDir(QString::fromStdString(workingDirectory)), QString::fromStdString(path));
    return QDir::cleanPath(info.absoluteFilePath()).toStdString();
}

std::string Escape(const std::string& field)
{
    std::string out;
    for (char c : field) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

std::optional<std::vector<std::string>> SplitFields(const std::string& line)
{
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == '\t') {
            fields.emplace_back();
        } else if (c == '\\') {
            if (++i == line.size())
                return std::nullopt;
            switch (line[i]) {
            case '\\': fields.back() += '\\'; break;
            case 't': fields.back() += '\t'; break;
            case 'n': fields.back() += '\n'; break;
            case 'r': fields.back() += '\r'; break;
            default: return std::nullopt;
            }
        } else if (c == '\n' || c == '\r') {
            return std::nullopt;
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

} // namespace

CommandLineResult ParseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLineResult result;
    CommandLine& cl = result.commandLine;
    bool actionSet = false;
    std::string newTcpText;

    auto setAction = [&](CommandLine::Action action) {
        if (actionSet) {
            result.error = "only one file, --print, --print-to or --new-tcp may be given";
            return false;
        }
        actionSet = true;
        cl.action = action;
        return true;
    };
    auto need = [&](std::size_t& i, std::size_t count, const std::string& option) {
        if (i + count >= arguments.size()) {
            result.error = option + " needs " + (count == 1 ? "an argument" : std::to_string(count) + " arguments");
            return false;
        }
        return true;
    };

    for (std::size_t i = 0; i < arguments.size() && result.ok(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--help" || a == "-h") {
            cl.action = CommandLine::Action::Help;
            return result;
        } else if (a == "--settings") {
            if (need(i, 1, a))
                cl.settingsFile = arguments[++i];
        } else if (a == "--print") {
            if (need(i, 1, a) && setAction(CommandLine::Action::Print))
                cl.file = arguments[++i];
        } else if (a == "--print-to") {
            if (need(i, 2, a) && setAction(CommandLine::Action::PrintTo)) {
                cl.file = arguments[++i];
                cl.printer = arguments[++i];
            }
        } else if (a == "--new-tcp") {
            if (need(i, 1, a) && setAction(CommandLine::Action::NewTcp))
                newTcpText = arguments[++i];
        } else if (a == "--save-as") {
            if (need(i, 1, a))
                cl.saveAs = arguments[++i];
        } else if (a.size() > 1 && a[0] == '-') {
            result.error = "unknown option " + a;
        } else if (setAction(CommandLine::Action::Open)) {
            cl.file = a;
        }
    }
    if (!result.ok())
        return result;

    if (cl.action == CommandLine::Action::NewTcp) {
        auto address = ParseIPAddress(newTcpText);
        if (!address) {
            result.error = "--new-tcp needs an IPv4 address, not \"" + newTcpText + "\"";
            return result;
        }
        cl.tcpAddress = *address;
    }
    if (!cl.saveAs.empty() && cl.action != CommandLine::Action::NewTcp)
        result.error = "--save-as goes with --new-tcp";
    if ((cl.action == CommandLine::Action::Print || cl.action == CommandLine::Action::PrintTo) && cl.file.empty())
        result.error = "no file to print";
    if (cl.action == CommandLine::Action::PrintTo && cl.printer.empty())
        result.error = "no printer named";
    return result;
}

std::string CommandLineUsage()
{
    return "Usage: corvane [--settings FILE.ini] [FILE.mlb]\n"
           "       corvane [--settings FILE.ini] --print FILE.mlb\n"
           "       corvane [--settings FILE.ini] --print-to FILE.mlb PRINTER\n"
           "       corvane [--settings FILE.ini] --new-tcp ADDRESS [--save-as FILE.mlb]\n"
           "\n"
           "A second start hands its file or print request to the running program.\n"
           "  --settings FILE.ini  keep the settings in FILE.ini instead of the user's store\n"
           "  --print FILE         print FILE's parameter listing on the default printer\n"
           "  --print-to FILE PRN  the same on printer PRN\n"
           "  --new-tcp ADDRESS    a new configuration document on TCP/IP at ADDRESS;\n"
           "                       with --save-as it is written to a file and no window opens\n";
}

std::optional<InstanceRequest> RequestFor(const CommandLine& cl, const std::string& workingDirectory)
{
    InstanceRequest r;
    switch (cl.action) {
    case CommandLine::Action::New:
        r.kind = InstanceRequest::Kind::Open;
        return r;
    case CommandLine::Action::Open:
        r.kind = InstanceRequest::Kind::Open;
        break;
    case CommandLine::Action::Print:
        r.kind = InstanceRequest::Kind::Print;
        break;
    case CommandLine::Action::PrintTo:
        r.kind = InstanceRequest::Kind::PrintTo;
        r.printer = cl.printer;
        break;
    case CommandLine::Action::NewTcp:
    case CommandLine::Action::Help:
        return std::nullopt;
    }
    r.file = Absolute(cl.file, workingDirectory);
    return r;
}

std::string EncodeInstanceRequest(const InstanceRequest& r)
{
    switch (r.kind) {
    case InstanceRequest::Kind::Open: return "open\t" + Escape(r.file) + "\n";
    case InstanceRequest::Kind::Print: return "print\t" + Escape(r.file) + "\n";
    case InstanceRequest::Kind::PrintTo:
        return "printto\t" + Escape(r.file) + "\t" + Escape(r.printer) + "\n";
    }
    return {};
}

std::optional<InstanceRequest> DecodeInstanceRequest(const std::string& text)
{
    std::string line = text;
    if (!line.empty() && line.back() == '\n')
        line.pop_back();
    auto fields = SplitFields(line);
    if (!fields)
        return std::nullopt;
    const auto& f = *fields;
    InstanceRequest r;
    if (f[0] == "open" && f.size() == 2) {
        r.kind = InstanceRequest::Kind::Open;
    } else if (f[0] == "print" && f.size() == 2 && !f[1].empty()) {
        r.kind = InstanceRequest::Kind::Print;
    } else if (f[0] == "printto" && f.size() == 3 && !f[1].empty() && !f[2].empty()) {
        r.kind = InstanceRequest::Kind::PrintTo;
        r.printer = f[2];
    } else {
        return std::nullopt;
    }
    r.file = f[1];
    return r;
}

std::string InstanceServerName(const std::string& settingsFile)
{
    std::string name = "Corvane.net-" + std::to_string(::getuid());
    if (!settingsFile.empty()) {
        QByteArray path =
            QDir::cleanPath(QFileInfo(QString::fromStdString(settingsFile)).absoluteFilePath()).toUtf8();
        name += "-" + QCryptographicHash::hash(path, QCryptographicHash::Sha1).toHex().left(12).toStdString();
    }
    return name;
}

} // namespace corvane
