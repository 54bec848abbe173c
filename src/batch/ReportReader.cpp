#include "batch/ReportReader.h"

#include "common/Utf8.h"

#include <charconv>
#include <optional>
#include <stdexcept>
#include <utility>

namespace glyphmere::batch {
namespace {

// A JSON value, as much of it as a report needs: strings decoded to bytes, numbers kept as text.
struct JsonValue {
    enum class Type { Literal, Number, String, Array, Object };
    Type type = Type::Literal;
    std::string text;
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;

    const JsonValue* member(std::string_view name) const
    {
        for (const auto& [key, value] : members) {
            if (key == name)
                return &value;
        }
        return nullptr;
    }
};

class JsonReader {
public:
    explicit JsonReader(std::string_view text) : m_text(text) {}

    bool atEnd()
    {
        skipSpace();
        return m_at == m_text.size();
    }

    JsonValue value(int depth = 0)
    {
        skipSpace();
        if (depth > kMaxDepth)
            fail("it nests too deeply");
        switch (peek()) {
        case '{':
            return object(depth);
        case '[':
            return array(depth);
        case '"':
            return {JsonValue::Type::String, string(), {}, {}};
        default:
            return scalar();
        }
    }

private:
    static constexpr int kMaxDepth = 64;

    [[noreturn]] void fail(const std::string& what) const
    {
        throw std::runtime_error("it is not a report that --report wrote (" + what + " at byte " +
                                 std::to_string(m_at) + ")");
    }

    void skipSpace()
    {
        while (m_at < m_text.size() &&
               (m_text[m_at] == ' ' || m_text[m_at] == '\n' || m_text[m_at] == '\r' || m_text[m_at] == '\t'))
            ++m_at;
    }

    char peek() const { return m_at < m_text.size() ? m_text[m_at] : '\0'; }

    void expect(char c)
    {
        skipSpace();
        if (peek() != c)
            fail(std::string("\"") + c + "\" was expected");
        ++m_at;
    }

    // Reads "]" or "}" if it comes next, else the "," before the next element.
    bool listEnds(char close)
    {
        skipSpace();
        if (peek() == close) {
            ++m_at;
            return true;
        }
        expect(',');
        return false;
    }

    JsonValue object(int depth)
    {
        JsonValue result{JsonValue::Type::Object, {}, {}, {}};
        expect('{');
        skipSpace();
        if (peek() == '}') {
            ++m_at;
            return result;
        }
        do {
            skipSpace();
            std::string key = string();
            expect(':');
            result.members.emplace_back(std::move(key), value(depth + 1));
        } while (!listEnds('}'));
        return result;
    }

    JsonValue array(int depth)
    {
        JsonValue result{JsonValue::Type::Array, {}, {}, {}};
        expect('[');
        skipSpace();
        if (peek() == ']') {
            ++m_at;
            return result;
        }
        do
            result.items.push_back(value(depth + 1));
        while (!listEnds(']'));
        return result;
    }

    JsonValue scalar()
    {
        const std::size_t start = m_at;
        while (m_at < m_text.size() &&
               std::string_view("+-.0123456789eEtrufalsn").find(m_text[m_at]) != std::string_view::npos)
            ++m_at;
        const std::string_view word = m_text.substr(start, m_at - start);
        if (word == "true" || word == "false" || word == "null")
            return {JsonValue::Type::Literal, std::string(word), {}, {}};
        double number = 0;
        const auto [end, failure] = std::from_chars(word.data(), word.data() + word.size(), number);
        if (word.empty() || failure != std::errc() || end != word.data() + word.size())
            fail("a value was expected");
        return {JsonValue::Type::Number, std::string(word), {}, {}};
    }

    unsigned hexQuad()
    {
        unsigned code = 0;
        const std::string_view digits = m_text.substr(m_at, 4);
        const auto [end, failure] = std::from_chars(digits.data(), digits.data() + digits.size(), code, 16);
        if (digits.size() != 4 || failure != std::errc() || end != digits.data() + 4)
            fail("a \\u escape needs four hexadecimal digits");
        m_at += 4;
        return code;
    }

    // After "\u": a character, a surrogate pair, or one of the lone surrogates that stand for a byte.
    void unicodeEscape(std::string& text)
    {
        const unsigned code = hexQuad();
        if (code >= 0xDC80 && code <= 0xDCFF) {
            text += static_cast<char>(code - 0xDC00);
        } else if (code >= 0xD800 && code <= 0xDBFF && m_text.substr(m_at, 2) == "\\u") {
            m_at += 2;
            const unsigned low = hexQuad();
            if (low < 0xDC00 || low > 0xDFFF)
                fail("a surrogate pair is broken");
            common::appendUtf8(text, 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            fail("a lone surrogate stands for no byte");
        } else {
            common::appendUtf8(text, code);
        }
    }

    std::string string()
    {
        expect('"');
        std::string text;
        for (;;) {
            if (m_at >= m_text.size())
                fail("a string is not ended");
            const char c = m_text[m_at++];
            if (c == '"')
                return text;
            if (c != '\\') {
                text += c;
                continue;
            }
            const char escaped = peek();
            ++m_at;
            static constexpr std::string_view kFrom = "\"\\/bfnrt";
            static constexpr std::string_view kTo = "\"\\/\b\f\n\r\t";
            if (escaped == 'u')
                unicodeEscape(text);
            else if (const std::size_t at = kFrom.find(escaped); at != std::string_view::npos && escaped != '\0')
                text += kTo[at];
            else
                fail("an unknown escape");
        }
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

bool isUndone(const JsonValue& document)
{
    const JsonValue* status = document.member("status");
    return status && (status->text == "failed" || status->text == "not started");
}

void collectUndone(const JsonValue& document, std::vector<std::string>& paths)
{
    const JsonValue* path = document.member("path");
    if (!path || path->type != JsonValue::Type::String || !document.member("status"))
        throw std::runtime_error("it is not a report that --report wrote (a document has no path or status)");
    if (isUndone(document))
        paths.push_back(path->text);
}

} // namespace

std::vector<std::string> undoneDocuments(std::string_view text)
{
    std::vector<std::string> paths;
    JsonReader reader(text);
    while (!reader.atEnd()) {
        const JsonValue value = reader.value();
        const JsonValue* documents = value.member("documents");
        if (!documents) {
            collectUndone(value, paths); // a line of a JSON Lines report
            continue;
        }
        for (const JsonValue& document : documents->items)
            collectUndone(document, paths);
    }
    return paths;
}

} // namespace glyphmere::batch
