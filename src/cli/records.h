#pragma once
// The text forms of a data file's values that export writes and import reads:
// a JSON array with one object per line, or CSV with a header row. One record
// per code holding a value, in chain order.

#include "configdoc/corvanedoc.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::cli {

enum class RecordFormat { Json, Csv };

std::string ExportRecords(const CCorvaneDoc& doc, RecordFormat format);

// One record as read, before it is checked against the document.
struct CodeRecord {
    int line = 0;             // where the record starts, from 1
    std::string directory;    // number or name
    std::string code;
    std::optional<std::string> value;
    std::string level;        // empty when absent or null
};

struct ParsedRecords {
    std::vector<CodeRecord> records;
    std::string error; // empty on success
    int errorLine = 0;

    bool ok() const { return error.empty(); }
};

// JSON when the first non-blank character opens an array or object, else CSV.
ParsedRecords ParseRecords(std::string_view text);

} // namespace corvane::cli
