#pragma once
// Builds expected file contents byte by byte, independently of the code under test, so that a
// layout test compares against the tables and not against the writer it checks.
#include <cstdint>
#include <cstring>
#include <string>

namespace dbtest {

class Bytes {
public:
    Bytes& u8(std::uint8_t v) {
        s_ += static_cast<char>(v);
        return *this;
    }
    Bytes& u16(std::uint16_t v) { return u8(v & 0xFF).u8(v >> 8); }
    Bytes& i32(std::int32_t v) {
        const auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i)
            u8(static_cast<std::uint8_t>(u >> (8 * i)));
        return *this;
    }
    Bytes& i64(std::int64_t v) {
        const auto u = static_cast<std::uint64_t>(v);
        for (int i = 0; i < 8; ++i)
            u8(static_cast<std::uint8_t>(u >> (8 * i)));
        return *this;
    }
    Bytes& f64(double v) {
        std::int64_t bits;
        std::memcpy(&bits, &v, 8);
        return i64(bits);
    }
    Bytes& zeros(int n) {
        s_.append(static_cast<size_t>(n), '\0');
        return *this;
    }
    // Raw bytes (already in the ANSI code page) and their terminating 0.
    Bytes& str(const std::string& ansi) {
        s_ += ansi;
        s_ += '\0';
        return *this;
    }
    Bytes& raw(const std::string& bytes) {
        s_ += bytes;
        return *this;
    }
    Bytes& add(const Bytes& other) {
        s_ += other.s_;
        return *this;
    }

    const std::string& data() const { return s_; }
    size_t size() const { return s_.size(); }

private:
    std::string s_;
};

// A stored application record with its length prefix, from its parts: body = items 2 to 9.
inline Bytes Record(const Bytes& body) {
    Bytes r;
    r.i64(static_cast<std::int64_t>(body.size())).add(body);
    return r;
}

// A member with the given name, folder and flags; the other fields empty or zero.
inline Bytes Member(const std::string& name, const std::string& path, std::uint8_t role = 0) {
    Bytes m;
    m.str(name)
        .str(path)
        .u8(role)
        .f64(45000.5)
        .i64(1234)
        .u8(1)
        .f64(45001.25)
        .str("/opt/Tool/")
        .u8(2)
        .i32(1)
        .str("/sendto/")
        .str("Tool")
        .str("-x")
        .str("desc")
        .str("Tool")
        .u8(1)
        .str("/opt/Tool/")
        .zeros(8);
    return m;
}

} // namespace dbtest
