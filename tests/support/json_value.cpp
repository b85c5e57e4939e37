// A recursive-descent JSON reader: enough for the tools' reports.
#include "support/json_value.h"

#include <cstdlib>
#include <cstring>

const JsonValue* JsonValue::find(const std::string& key) const
{
    auto field = fields.find(key);
    return field == fields.end() ? nullptr : &field->second;
}

namespace
{
struct Reader
{
    const std::string& text;
    size_t at = 0;
    std::string error;

    void skipSpace()
    {
        while (at < text.size() && std::strchr(" \t\r\n", text[at]))
            ++at;
    }

    bool fail(const std::string& why)
    {
        if (error.empty())
            error = why + " at offset " + std::to_string(at);
        return false;
    }

    bool expect(char c)
    {
        skipSpace();
        if (at < text.size() && text[at] == c)
        {
            ++at;
            return true;
        }
        return fail(std::string("expected '") + c + "'");
    }

    bool readString(std::string& out)
    {
        if (!expect('"'))
            return false;
        while (at < text.size() && text[at] != '"')
        {
            if (text[at] == '\\' && at + 1 < text.size())
                ++at;
            out += text[at++];
        }
        return expect('"');
    }

    bool readValue(JsonValue& value)
    {
        skipSpace();
        if (at >= text.size())
            return fail("unexpected end");
        char c = text[at];
        if (c == '{')
        {
            value.kind = JsonValue::Object;
            ++at;
            skipSpace();
            if (at < text.size() && text[at] == '}')
                return ++at, true;
            do
            {
                std::string key;
                if (!readString(key) || !expect(':') || !readValue(value.fields[key]))
                    return false;
                skipSpace();
            } while (at < text.size() && text[at] == ',' && ++at);
            return expect('}');
        }
        if (c == '[')
        {
            value.kind = JsonValue::Array;
            ++at;
            skipSpace();
            if (at < text.size() && text[at] == ']')
                return ++at, true;
            do
            {
                value.items.emplace_back();
                if (!readValue(value.items.back()))
                    return false;
                skipSpace();
            } while (at < text.size() && text[at] == ',' && ++at);
            return expect(']');
        }
        if (c == '"')
        {
            value.kind = JsonValue::String;
            return readString(value.text);
        }
        for (const char* word : {"true", "false", "null"})
            if (text.compare(at, std::strlen(word), word) == 0)
            {
                at += std::strlen(word);
                value.kind = word[0] == 'n' ? JsonValue::Null : JsonValue::Bool;
                value.boolean = word[0] == 't';
                return true;
            }
        char* end = nullptr;
        value.number = std::strtod(text.c_str() + at, &end);
        if (end == text.c_str() + at)
            return fail("unexpected character");
        value.kind = JsonValue::Number;
        at = size_t(end - text.c_str());
        return true;
    }
};
}

bool parseJson(const std::string& document, JsonValue& value, std::string& error)
{
    Reader reader{document, 0, ""};
    bool ok = reader.readValue(value);
    reader.skipSpace();
    if (ok && reader.at != document.size())
        ok = reader.fail("trailing text");
    error = reader.error;
    return ok;
}
