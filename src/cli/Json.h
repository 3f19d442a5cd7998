#pragma once
// The little JSON the command line prints: values written in order into one text.
#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// A JSON string literal of UTF-8 text (bytes that are no UTF-8 become U+FFFD).
std::string JsonString(const std::string& text);

// An object or array built member by member.
class TJson {
public:
    static TJson Object() { return TJson('{', '}'); }
    static TJson Array() { return TJson('[', ']'); }

    TJson& Add(const std::string& key, const std::string& rawValue);
    TJson& Text(const std::string& key, const std::string& value);
    TJson& TextOrNull(const std::string& key, const std::string& value);
    TJson& Number(const std::string& key, std::int64_t value);
    TJson& Bool(const std::string& key, bool value);
    // An array element.
    TJson& Item(const std::string& rawValue);

    std::string Str() const { return FText + FClose; }

private:
    TJson(char open, char close) : FText(1, open), FClose(1, close) {}
    std::string FText;
    std::string FClose;
    bool FFirst = true;
    void Separator();
};

} // namespace qm
