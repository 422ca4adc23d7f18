#include "common/documenttypes.h"

#include "common/cformat.h"

#include <algorithm>
#include <cctype>

namespace corvane {

namespace {

constexpr DocumentTypeInfo kTypes[] = {
    {DocumentKind::Configuration, 4,
     "Corvane\nPellion.net Config\nPellion.net Configuration File\nCorvane Files (*.mlb)\n.mlb\n"
     "Corvane.Document\nCorvane.Document",
     ".mlb", 57600, "&Pellion.net Data File \tCtrl+N", true},
    {DocumentKind::Terminal, 6, "\nTerminal", "", 0, "", false},
    {DocumentKind::Report, 7,
     "\nReport\nPellion.net Report Definition File\nPellion.net Report Definition File (*.RPB)\n.RPB\n"
     "Corvane.Document.2\nCorvane Report Definition File",
     ".RPB", 11846, "&Report Configuration", false},
    {DocumentKind::EquationSet, 8,
     "\nProg\nPellion.net Equation File\nPellion.net Equation File (*.EQB)\n.EQB\n"
     "Corvane.Document.3\nCorvane Equation Set",
     ".EQB", 11844, "&Equation Set", false},
    {DocumentKind::Translation, 9,
     "\nLang\nPellion.net Translation File\nPellion.net Translation File (*.LGB)\n.LGB\n"
     "Corvane.Document.4\nCorvane Translation File",
     ".LGB", 11847, "&Translation ", false},
    {DocumentKind::CardDatabase, 11, "", "", 11866, "", false},
    {DocumentKind::Display, 12,
     "\nDisplay\nPellion.net Display Definition File\nPellion.net Display Definition File (*.DPB)\n.DPB\n"
     "Corvane.Document.6\nCorvane Display Definition File",
     ".DPB", 155, "Display &Configuration", false},
};

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

std::span<const DocumentTypeInfo> DocumentTypes()
{
    return kTypes;
}

const DocumentTypeInfo& DocumentType(DocumentKind kind)
{
    for (const DocumentTypeInfo& t : kTypes)
        if (t.kind == kind)
            return t;
    return kTypes[0];
}

std::string_view DocumentTypeField(const DocumentTypeInfo& type, DocTypeField field)
{
    std::string_view rest = type.typeString;
    for (int i = 0; i < static_cast<int>(field); ++i) {
        auto nl = rest.find('\n');
        if (nl == std::string_view::npos)
            return {};
        rest.remove_prefix(nl + 1);
    }
    return rest.substr(0, rest.find('\n'));
}

std::optional<DocumentKind> DocumentKindForFile(std::string_view path)
{
    auto slash = path.find_last_of('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    auto dot = name.find_last_of('.');
    if (dot == std::string_view::npos)
        return std::nullopt;
    std::string_view ext = name.substr(dot);
    for (const DocumentTypeInfo& t : kTypes)
        if (t.available && !t.extension.empty() && EqualNoCase(ext, t.extension))
            return t.kind;
    return std::nullopt;
}

std::string OpenFileFilter()
{
    std::string filter;
    for (const DocumentTypeInfo& t : kTypes) {
        if (!t.available || t.extension.empty())
            continue;
        filter += DocumentTypeField(t, DocTypeField::FilterName);
        filter += "|*";
        filter += t.extension;
        filter += '|';
    }
    filter += "All Files (*.*)|*.*||";
    return filter;
}

std::string ConfigurationDocumentRow(const std::string& title, int commPort, std::uint32_t controllerAddress)
{
    const std::string port = commPort == 0 ? std::string("TCP/IP") : CFormat("Com%d", commPort);
    return CFormat("%-12.12s \t\t(%s,  Address %d)", title.c_str(), port.c_str(),
                   static_cast<int>(controllerAddress & 0xFF));
}

} // namespace corvane
