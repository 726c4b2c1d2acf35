// What vrxctl prints: one record of named values per command, as aligned
// text for people or as one JSON object per line for programs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TRecord {
  public:
    TRecord& Number(const std::string& key, int64_t value);
    TRecord& Text(const std::string& key, const std::string& value);
    TRecord& Flag(const std::string& key, bool value);
    TRecord& Numbers(const std::string& key, const std::vector<int64_t>& values);
    // A nested list of records (the units of `list`), printed as a table.
    TRecord& Rows(const std::string& key, const std::vector<TRecord>& rows);

    // {"key":value,...}
    std::string Json() const;
    // key  value, keys padded to one column; rows as a table under a header.
    std::string Text() const;

  private:
    struct TField {
        std::string key;
        std::string json;  // the value as JSON
        std::string text;  // the value as people read it
        std::vector<TRecord> rows;
        bool isRows = false;
    };
    std::vector<TField> fields;
};

std::string JsonString(const std::string& text);
// JsonString's text appended to out.
void AppendJsonString(std::string& out, std::string_view text);
