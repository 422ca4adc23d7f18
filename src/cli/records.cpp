#include "records.h"

#include "clidoc.h"
#include "common/cformat.h"
#include "dictionary/directories.h"

#include <cctype>

namespace corvane::cli {
namespace {

// Bytes above 127 are written as \u00XX, one per byte, so that the file stays
// ASCII and reads back to the very same bytes.
std::string JsonString(std::string_view text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c >= 0x7F)
                out += CFormat("\\u%04x", c);
            else
                out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string CsvField(std::string_view text)
{
    const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quote)
        return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

struct ExportRow {
    int directory;
    std::string directoryName;
    int code;
    std::string description;
    std::string value;
    std::optional<int> level; // none when the code has no security level
};

std::vector<ExportRow> Rows(const CCorvaneDoc& doc)
{
    std::vector<ExportRow> rows;
    for (const DBParam& p : doc.chain().all()) {
        if (!p.hasValue())
            continue;
        rows.push_back({p.directory(), std::string(DirectoryName(p.directory())), p.codeNumber(),
                        std::string(p.description()), ExactValueText(p, doc.images()),
                        p.hasSecurityLevel() ? std::optional<int>(p.SecurityLevel(doc.images())) : std::nullopt});
    }
    return rows;
}

// ---- JSON reading: just enough for an array of flat objects.

class JsonReader {
public:
    explicit JsonReader(std::string_view text) : text_(text) {}

    ParsedRecords read()
    {
        ParsedRecords out;
        skipBlanks();
        if (!take('['))
            return fail("expected \"[\" to open the list of records");
        skipBlanks();
        if (take(']'))
            return finish(out);
        for (;;) {
            skipBlanks();
            CodeRecord record;
            record.line = line_;
            if (!readObject(record))
                return failed();
            out.records.push_back(std::move(record));
            skipBlanks();
            if (take(','))
                continue;
            if (take(']'))
                return finish(out);
            return fail("expected \",\" or \"]\" after a record");
        }
    }

private:
    ParsedRecords finish(ParsedRecords& out)
    {
        skipBlanks();
        if (pos_ != text_.size())
            return fail("unexpected text after the list of records");
        return std::move(out);
    }

    ParsedRecords fail(std::string message)
    {
        error_ = std::move(message);
        return failed();
    }
    ParsedRecords failed() const
    {
        ParsedRecords out;
        out.error = error_;
        out.errorLine = line_;
        return out;
    }
    bool setError(std::string message)
    {
        error_ = std::move(message);
        return false;
    }

    void skipBlanks()
    {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) {
            if (text_[pos_] == '\n')
                ++line_;
            ++pos_;
        }
    }
    bool take(char c)
    {
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    // A scalar as text; `isNull` for null. Objects and arrays are refused.
    bool readScalar(std::string& text, bool& isNull)
    {
        isNull = false;
        if (pos_ >= text_.size())
            return setError("unexpected end of the text");
        const char c = text_[pos_];
        if (c == '"')
            return readString(text);
        for (std::string_view word : {"null", "true", "false"}) {
            if (text_.substr(pos_, word.size()) == word) {
                pos_ += word.size();
                isNull = word == "null";
                text = std::string(word);
                return true;
            }
        }
        const std::size_t start = pos_;
        while (pos_ < text_.size() && (std::isdigit(static_cast<unsigned char>(text_[pos_])) ||
                                       std::string_view("+-.eE").find(text_[pos_]) != std::string_view::npos))
            ++pos_;
        if (pos_ == start)
            return setError("expected a text in quotes, a number or null");
        text = std::string(text_.substr(start, pos_ - start));
        return true;
    }

    static int Hex(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    static void AppendUtf8(std::string& out, unsigned code)
    {
        if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        }
        out += static_cast<char>(0x80 | (code & 0x3F));
    }

    bool readString(std::string& out)
    {
        ++pos_; // opening quote
        out.clear();
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"')
                return true;
            if (c == '\n')
                return setError("a text in quotes runs past the end of its line");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size())
                break;
            const char e = text_[pos_++];
            switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                unsigned code = 0;
                for (int i = 0; i < 4; ++i) {
                    const int h = pos_ < text_.size() ? Hex(text_[pos_++]) : -1;
                    if (h < 0)
                        return setError("bad \\u escape in a text");
                    code = code * 16 + static_cast<unsigned>(h);
                }
                // \u0000-\u00ff stand for single bytes (as export writes them).
                if (code <= 0xFF)
                    out += static_cast<char>(code);
                else
                    AppendUtf8(out, code);
                break;
            }
            default: return setError(std::string("bad escape \\") + e + " in a text");
            }
        }
        return setError("a text in quotes is not closed");
    }

    bool readObject(CodeRecord& record)
    {
        if (!take('{'))
            return setError("expected \"{\" to open a record");
        std::string directoryName;
        bool haveDirectory = false;
        skipBlanks();
        if (take('}'))
            return true;
        for (;;) {
            skipBlanks();
            if (pos_ >= text_.size() || text_[pos_] != '"')
                return setError("expected a field name in quotes");
            std::string key;
            if (!readString(key))
                return false;
            skipBlanks();
            if (!take(':'))
                return setError("expected \":\" after the field name \"" + key + "\"");
            skipBlanks();
            std::string value;
            bool isNull = false;
            if (!readScalar(value, isNull))
                return false;
            if (key == "directory" && !isNull) {
                record.directory = value;
                haveDirectory = true;
            } else if (key == "directoryName" && !isNull) {
                directoryName = value;
            } else if (key == "code" && !isNull) {
                record.code = value;
            } else if (key == "value" && !isNull) {
                record.value = value;
            } else if (key == "level") {
                record.level = isNull ? std::string() : value;
            }
            skipBlanks();
            if (take(','))
                continue;
            if (take('}'))
                break;
            return setError("expected \",\" or \"}\" in a record");
        }
        if (!haveDirectory)
            record.directory = directoryName;
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
    std::string error_;
};

// ---- CSV reading.

struct CsvRow {
    int line;
    std::vector<std::string> fields;
};

bool ReadCsv(std::string_view text, std::vector<CsvRow>& rows, ParsedRecords& error)
{
    int line = 1;
    std::size_t i = 0;
    while (i < text.size()) {
        CsvRow row{line, {}};
        std::string field;
        bool quoted = false, wasQuoted = false;
        for (;;) {
            if (i >= text.size()) {
                if (quoted) {
                    error.error = "a quoted field is not closed";
                    error.errorLine = row.line;
                    return false;
                }
                break;
            }
            const char c = text[i++];
            if (quoted) {
                if (c == '"') {
                    if (i < text.size() && text[i] == '"') {
                        field += '"';
                        ++i;
                    } else {
                        quoted = false;
                    }
                } else {
                    if (c == '\n')
                        ++line;
                    field += c;
                }
                continue;
            }
            if (c == '"' && field.empty() && !wasQuoted) {
                quoted = wasQuoted = true;
            } else if (c == ',') {
                row.fields.push_back(std::move(field));
                field.clear();
                wasQuoted = false;
            } else if (c == '\n') {
                ++line;
                break;
            } else if (c == '\r' && (i >= text.size() || text[i] == '\n')) {
                // CR LF line ends
            } else {
                field += c;
            }
        }
        row.fields.push_back(std::move(field));
        const bool blank = row.fields.size() == 1 && row.fields[0].find_first_not_of(" \t") == std::string::npos;
        if (!blank)
            rows.push_back(std::move(row));
    }
    return true;
}

std::string Lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string Trim(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

ParsedRecords ParseCsv(std::string_view text)
{
    ParsedRecords out;
    std::vector<CsvRow> rows;
    if (!ReadCsv(text, rows, out))
        return out;
    // Column positions: from the header row when there is one, else the export order.
    int directory = 0, directoryName = 1, code = 2, value = 4, level = 5;
    std::size_t first = 0;
    if (!rows.empty() && Lower(Trim(rows[0].fields[0])) == "directory") {
        directory = directoryName = code = value = level = -1;
        for (std::size_t c = 0; c < rows[0].fields.size(); ++c) {
            const std::string name = Lower(Trim(rows[0].fields[c]));
            const int col = static_cast<int>(c);
            if (name == "directory")
                directory = col;
            else if (name == "directoryname")
                directoryName = col;
            else if (name == "code")
                code = col;
            else if (name == "value")
                value = col;
            else if (name == "level")
                level = col;
        }
        if (code < 0 || value < 0 || (directory < 0 && directoryName < 0)) {
            out.error = "the header row needs the columns directory, code and value";
            out.errorLine = rows[0].line;
            return out;
        }
        first = 1;
    }
    auto field = [](const CsvRow& row, int col) -> std::optional<std::string> {
        if (col < 0 || static_cast<std::size_t>(col) >= row.fields.size())
            return std::nullopt;
        return row.fields[static_cast<std::size_t>(col)];
    };
    for (std::size_t r = first; r < rows.size(); ++r) {
        const CsvRow& row = rows[r];
        CodeRecord record;
        record.line = row.line;
        std::string dir = Trim(field(row, directory).value_or(""));
        record.directory = dir.empty() ? Trim(field(row, directoryName).value_or("")) : dir;
        record.code = Trim(field(row, code).value_or(""));
        record.value = field(row, value);
        record.level = Trim(field(row, level).value_or(""));
        out.records.push_back(std::move(record));
    }
    return out;
}

} // namespace

std::string ExportRecords(const CCorvaneDoc& doc, RecordFormat format)
{
    const std::vector<ExportRow> rows = Rows(doc);
    std::string out;
    if (format == RecordFormat::Json) {
        out = "[\n";
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const ExportRow& r = rows[i];
            out += CFormat("{\"directory\": %d, \"directoryName\": %s, \"code\": %d, \"description\": %s, "
                           "\"value\": %s, \"level\": %s}",
                           r.directory, JsonString(r.directoryName).c_str(), r.code,
                           JsonString(r.description).c_str(), JsonString(r.value).c_str(),
                           r.level ? CFormat("%d", *r.level).c_str() : "null");
            out += i + 1 < rows.size() ? ",\n" : "\n";
        }
        return out + "]\n";
    }
    out = "directory,directoryName,code,description,value,level\n";
    for (const ExportRow& r : rows) {
        out += CFormat("%d,%s,%d,%s,%s,%s\n", r.directory, CsvField(r.directoryName).c_str(), r.code,
                       CsvField(r.description).c_str(), CsvField(r.value).c_str(),
                       r.level ? CFormat("%d", *r.level).c_str() : "");
    }
    return out;
}

ParsedRecords ParseRecords(std::string_view text)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3); // byte-order mark of spreadsheet exports
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && (text[first] == '[' || text[first] == '{'))
        return JsonReader(text).read();
    return ParseCsv(text);
}

} // namespace corvane::cli
