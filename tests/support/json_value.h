#pragma once
// A small JSON reader for the tests that check what the tools write.
#include <map>
#include <string>
#include <vector>

struct JsonValue
{
    enum Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;
    std::map<std::string, JsonValue> fields;

    // The field of an object, or null when there is none.
    const JsonValue* find(const std::string& key) const;
};

// Parses a whole document; false (with a reason) on any syntax error.
bool parseJson(const std::string& document, JsonValue& value, std::string& error);
