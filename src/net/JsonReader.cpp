#include "net/JsonReader.h"

#include <cstdlib>

namespace qm {

namespace {

const TJsonValue kNull;

class TParser {
public:
    explicit TParser(const std::string& text) : FText(text) {}

    bool Parse(TJsonValue& value, std::string& error) {
        if (!Value(value, 0) || (Skip(), FAt != FText.size())) {
            if (FError.empty())
                FError = "unexpected text";
            error = "at byte " + std::to_string(FAt) + ": " + FError;
            return false;
        }
        return true;
    }

private:
    const std::string& FText;
    std::size_t FAt = 0;
    std::string FError;

    bool Fail(const char* why) {
        FError = why;
        return false;
    }
    void Skip() {
        while (FAt < FText.size() && (FText[FAt] == ' ' || FText[FAt] == '\t' ||
                                      FText[FAt] == '\n' || FText[FAt] == '\r'))
            ++FAt;
    }
    bool Literal(const char* word) {
        const std::string w = word;
        if (FText.compare(FAt, w.size(), w) != 0)
            return Fail("unknown word");
        FAt += w.size();
        return true;
    }

    bool Value(TJsonValue& value, int depth) {
        if (depth > kMaxJsonDepth)
            return Fail("nested too deep");
        Skip();
        if (FAt >= FText.size())
            return Fail("value missing");
        const char c = FText[FAt];
        switch (c) {
        case '{':
            return Object(value, depth);
        case '[':
            return Array(value, depth);
        case '"':
            value.Type = TJsonValue::Kind::String;
            return String(value.Text);
        case 't':
            value.Type = TJsonValue::Kind::Bool;
            value.Bool = true;
            return Literal("true");
        case 'f':
            value.Type = TJsonValue::Kind::Bool;
            return Literal("false");
        case 'n':
            value.Type = TJsonValue::Kind::Null;
            return Literal("null");
        default:
            return NumberValue(value);
        }
    }

    bool NumberValue(TJsonValue& value) {
        const std::size_t start = FAt;
        if (FAt < FText.size() && FText[FAt] == '-')
            ++FAt;
        const auto digits = [&] {
            const std::size_t from = FAt;
            while (FAt < FText.size() && FText[FAt] >= '0' && FText[FAt] <= '9')
                ++FAt;
            return FAt > from;
        };
        if (!digits())
            return Fail("not a value");
        if (FAt < FText.size() && FText[FAt] == '.') {
            ++FAt;
            if (!digits())
                return Fail("digits missing after the point");
        }
        if (FAt < FText.size() && (FText[FAt] == 'e' || FText[FAt] == 'E')) {
            ++FAt;
            if (FAt < FText.size() && (FText[FAt] == '+' || FText[FAt] == '-'))
                ++FAt;
            if (!digits())
                return Fail("digits missing in the exponent");
        }
        value.Type = TJsonValue::Kind::Number;
        value.Text = FText.substr(start, FAt - start);
        value.Number = std::strtod(value.Text.c_str(), nullptr);
        return true;
    }

    static void PutUtf8(std::string& out, unsigned long code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    bool Hex4(unsigned long& code) {
        if (FAt + 4 > FText.size())
            return Fail("short \\u escape");
        code = 0;
        for (int i = 0; i < 4; ++i) {
            const char h = FText[FAt++];
            code <<= 4;
            if (h >= '0' && h <= '9')
                code |= h - '0';
            else if (h >= 'a' && h <= 'f')
                code |= h - 'a' + 10;
            else if (h >= 'A' && h <= 'F')
                code |= h - 'A' + 10;
            else
                return Fail("bad \\u escape");
        }
        return true;
    }

    bool String(std::string& out) {
        ++FAt; // the opening quote
        out.clear();
        while (FAt < FText.size()) {
            const unsigned char c = static_cast<unsigned char>(FText[FAt++]);
            if (c == '"')
                return true;
            if (c < 0x20)
                return Fail("control character in a string");
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (FAt >= FText.size())
                break;
            const char e = FText[FAt++];
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out += e;
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                unsigned long code = 0;
                if (!Hex4(code))
                    return false;
                if (code >= 0xD800 && code < 0xDC00) {
                    unsigned long low = 0;
                    if (FText.compare(FAt, 2, "\\u") != 0)
                        return Fail("lone surrogate");
                    FAt += 2;
                    if (!Hex4(low))
                        return false;
                    if (low < 0xDC00 || low > 0xDFFF)
                        return Fail("lone surrogate");
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                } else if (code >= 0xDC00 && code <= 0xDFFF) {
                    return Fail("lone surrogate");
                }
                PutUtf8(out, code);
                break;
            }
            default:
                return Fail("unknown escape");
            }
        }
        return Fail("string not closed");
    }

    bool Array(TJsonValue& value, int depth) {
        value.Type = TJsonValue::Kind::Array;
        ++FAt;
        Skip();
        if (FAt < FText.size() && FText[FAt] == ']') {
            ++FAt;
            return true;
        }
        for (;;) {
            value.Items.emplace_back();
            if (!Value(value.Items.back(), depth + 1))
                return false;
            Skip();
            if (FAt < FText.size() && FText[FAt] == ',') {
                ++FAt;
                continue;
            }
            if (FAt < FText.size() && FText[FAt] == ']') {
                ++FAt;
                return true;
            }
            return Fail("',' or ']' expected");
        }
    }

    bool Object(TJsonValue& value, int depth) {
        value.Type = TJsonValue::Kind::Object;
        ++FAt;
        Skip();
        if (FAt < FText.size() && FText[FAt] == '}') {
            ++FAt;
            return true;
        }
        for (;;) {
            Skip();
            if (FAt >= FText.size() || FText[FAt] != '"')
                return Fail("name expected");
            std::string key;
            if (!String(key))
                return false;
            Skip();
            if (FAt >= FText.size() || FText[FAt] != ':')
                return Fail("':' expected");
            ++FAt;
            value.Keys.push_back(std::move(key));
            value.Values.emplace_back();
            if (!Value(value.Values.back(), depth + 1))
                return false;
            Skip();
            if (FAt < FText.size() && FText[FAt] == ',') {
                ++FAt;
                continue;
            }
            if (FAt < FText.size() && FText[FAt] == '}') {
                ++FAt;
                return true;
            }
            return Fail("',' or '}' expected");
        }
    }
};

} // namespace

const TJsonValue& TJsonValue::operator[](const std::string& key) const {
    for (std::size_t i = 0; i < Keys.size(); ++i)
        if (Keys[i] == key)
            return Values[i];
    return kNull;
}

std::string TJsonValue::StringOf(const std::string& key, const std::string& fallback) const {
    const TJsonValue& value = (*this)[key];
    return value.IsString() ? value.Text : fallback;
}

bool TJsonValue::BoolOf(const std::string& key, bool fallback) const {
    const TJsonValue& value = (*this)[key];
    return value.Type == Kind::Bool ? value.Bool : fallback;
}

bool ParseJson(const std::string& text, TJsonValue& value, std::string& error) {
    value = TJsonValue();
    return TParser(text).Parse(value, error);
}

} // namespace qm
