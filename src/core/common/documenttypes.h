#pragma once
// The document types the application knows, in registration order: their
// strings, file extensions and "New" commands, and whether their document is
// built into this program yet. A type that is not available offers neither
// "New" nor "Open".

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace corvane {

enum class DocumentKind {
    Configuration,
    Terminal,
    Report,
    EquationSet,
    Translation,
    CardDatabase,
    Display,
};

struct DocumentTypeInfo {
    DocumentKind kind;
    int stringId;                 // resource id of the type string
    std::string_view typeString;  // seven fields separated by "\n"; empty when none
    std::string_view extension;   // ".mlb"; empty when the type has no file
    int newCommandId;             // 0 when there is no "New" command
    std::string_view newCommand;  // menu text of "New"; empty when none
    bool available;               // the document is built into this program
};

// The seven fields of a type string, in order.
enum class DocTypeField {
    WindowTitle,
    DocName,
    FileNewName,
    FilterName,
    FilterExt,
    RegFileTypeId,
    RegFileTypeName,
};

// All types, in registration order.
std::span<const DocumentTypeInfo> DocumentTypes();
const DocumentTypeInfo& DocumentType(DocumentKind kind);

// One field of a type string; empty when the type has none.
std::string_view DocumentTypeField(const DocumentTypeInfo& type, DocTypeField field);

// The type that opens a file, by its extension (case-insensitive); only
// available types count.
std::optional<DocumentKind> DocumentKindForFile(std::string_view path);

// The filter of the open dialog: the available types' filters, then all files,
// in the "name|pattern|...||" form.
std::string OpenFileFilter();

// A row of the list that picks a configuration document:
// "%-12.12s \t\t(%s,  Address %d)" with the title, "Com%d" or "TCP/IP", and
// the address's low byte.
std::string ConfigurationDocumentRow(const std::string& title, int commPort, std::uint32_t controllerAddress);

} // namespace corvane
