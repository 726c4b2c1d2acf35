#include "output.h"

#include <algorithm>
#include <cstdio>

std::string JsonString(const std::string& text) {
    std::string out;
    AppendJsonString(out, text);
    return out;
}

void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (unsigned char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out.push_back(static_cast<char>(c));
                }
        }
    }
    out += '"';
}

TRecord& TRecord::Number(const std::string& key, int64_t value) {
    fields.push_back({key, std::to_string(value), std::to_string(value), {}, false});
    return *this;
}

TRecord& TRecord::Text(const std::string& key, const std::string& value) {
    fields.push_back({key, JsonString(value), value, {}, false});
    return *this;
}

TRecord& TRecord::Flag(const std::string& key, bool value) {
    const char* text = value ? "true" : "false";
    fields.push_back({key, text, value ? "yes" : "no", {}, false});
    return *this;
}

TRecord& TRecord::Numbers(const std::string& key, const std::vector<int64_t>& values) {
    std::string json = "[", text;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i != 0) {
            json += ',';
            text += ' ';
        }
        json += std::to_string(values[i]);
        text += std::to_string(values[i]);
    }
    fields.push_back({key, json + "]", text, {}, false});
    return *this;
}

TRecord& TRecord::Rows(const std::string& key, const std::vector<TRecord>& rows) {
    fields.push_back({key, "", "", rows, true});
    return *this;
}

std::string TRecord::Json() const {
    std::string out = "{";
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i != 0)
            out += ',';
        out += JsonString(fields[i].key);
        out += ':';
        if (!fields[i].isRows) {
            out += fields[i].json;
            continue;
        }
        out += "[";
        for (size_t r = 0; r < fields[i].rows.size(); ++r) {
            if (r != 0)
                out += ',';
            out += fields[i].rows[r].Json();
        }
        out += "]";
    }
    return out + "}";
}

namespace {

std::string Pad(const std::string& text, size_t width) {
    return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

// A table with one column per key of the first row.
std::string Table(const std::vector<std::vector<std::pair<std::string, std::string>>>& rows) {
    if (rows.empty())
        return "";
    std::vector<size_t> widths;
    for (const auto& cell : rows.front())
        widths.push_back(cell.first.size());
    for (const auto& row : rows)
        for (size_t c = 0; c < row.size() && c < widths.size(); ++c)
            widths[c] = std::max(widths[c], row[c].second.size());
    std::string out;
    for (size_t c = 0; c < widths.size(); ++c)
        out += (c ? "  " : "") + Pad(rows.front()[c].first, c + 1 < widths.size() ? widths[c] : 0);
    out += "\n";
    for (const auto& row : rows) {
        for (size_t c = 0; c < row.size() && c < widths.size(); ++c)
            out += (c ? "  " : "") + Pad(row[c].second, c + 1 < widths.size() ? widths[c] : 0);
        out += "\n";
    }
    return out;
}

}  // namespace

std::string TRecord::Text() const {
    size_t width = 0;
    for (const auto& field : fields)
        if (!field.isRows)
            width = std::max(width, field.key.size());
    std::string out;
    for (const auto& field : fields) {
        if (!field.isRows) {
            out += Pad(field.key, width) + "  " + field.text + "\n";
            continue;
        }
        std::vector<std::vector<std::pair<std::string, std::string>>> table;
        for (const auto& row : field.rows) {
            std::vector<std::pair<std::string, std::string>> cells;
            for (const auto& cell : row.fields)
                cells.emplace_back(cell.key, cell.text);
            table.push_back(cells);
        }
        out += Table(table);
    }
    return out;
}
