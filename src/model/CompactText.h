#pragma once
// A text that most objects leave empty, such as a shortcut's description on a member that has no
// shortcut: one pointer while empty, the text on the heap once set. Reads as a const
// std::string&, so callers that only read it need not know.
#include <cstddef>
#include <memory>
#include <ostream>
#include <string>

namespace qm {

class TCompactText {
public:
    TCompactText() = default;
    TCompactText(const TCompactText& other) { Set(other.Str()); }
    TCompactText(TCompactText&&) noexcept = default;
    TCompactText& operator=(const TCompactText& other) {
        if (this != &other)
            Set(other.Str());
        return *this;
    }
    TCompactText& operator=(TCompactText&&) noexcept = default;
    TCompactText& operator=(std::string value) {
        Set(std::move(value));
        return *this;
    }
    TCompactText& operator=(const char* value) {
        Set(std::string(value));
        return *this;
    }
    TCompactText& operator+=(const std::string& tail) {
        Set(Str() + tail);
        return *this;
    }

    const std::string& Str() const { return FText ? *FText : EmptyText(); }
    operator const std::string&() const { return Str(); }
    bool empty() const { return !FText; }
    std::size_t size() const { return Str().size(); }
    const char* c_str() const { return Str().c_str(); }

    friend bool operator==(const TCompactText& a, const std::string& b) { return a.Str() == b; }
    friend bool operator==(const TCompactText& a, const char* b) { return a.Str() == b; }
    friend std::ostream& operator<<(std::ostream& out, const TCompactText& text) {
        return out << text.Str();
    }

private:
    void Set(std::string value) {
        if (value.empty())
            FText.reset();
        else if (FText)
            *FText = std::move(value);
        else
            FText = std::make_unique<std::string>(std::move(value));
    }
    static const std::string& EmptyText() {
        static const std::string empty;
        return empty;
    }

    std::unique_ptr<std::string> FText; // null while empty
};

} // namespace qm
