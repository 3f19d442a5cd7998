#pragma once
// A reader of JSON (RFC 8259) for what a forge answers: objects, arrays, strings, numbers,
// true, false, null. Bounded: at most kMaxDepth levels and the text given; anything else is an
// error with its position, never a crash.
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qm {

class TJsonValue {
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };

    Kind Type = Kind::Null;
    bool Bool = false;
    double Number = 0;
    std::string Text; // a string's value, or a number as written
    std::vector<TJsonValue> Items;
    // An object's members: their names, and their values in the same order.
    std::vector<std::string> Keys;
    std::vector<TJsonValue> Values;

    bool IsObject() const { return Type == Kind::Object; }
    bool IsArray() const { return Type == Kind::Array; }
    bool IsString() const { return Type == Kind::String; }
    // A member of an object (the first of that name); a null value when there is none.
    const TJsonValue& operator[](const std::string& key) const;
    // A member's string, else fallback.
    std::string StringOf(const std::string& key, const std::string& fallback = "") const;
    bool BoolOf(const std::string& key, bool fallback = false) const;
};

constexpr int kMaxJsonDepth = 64;

// False with a message ("at byte N: ...") when text is no JSON.
bool ParseJson(const std::string& text, TJsonValue& value, std::string& error);

} // namespace qm
