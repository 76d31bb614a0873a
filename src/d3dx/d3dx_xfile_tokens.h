#pragma once
// The tokens of an X file and the two lexers that read them (text and
// binary), for the X file loader (d3dx_xfile.cpp) alone.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace d3dx::xfile {

using std::size_t;
using std::uint16_t;
using std::uint32_t;

// ---------------------------------------------------------------------------
// Tokens. In text files commas and semicolons only separate values, so they
// are skipped like white space; "//" and "#" start comments that run to the
// line end. Binary files carry the same tokens in tagged form.

enum class Tok { End, Name, Number, String, LBrace, RBrace, Guid, Other, Error };

struct Token {
    Tok kind = Tok::End;
    std::string_view text;  // names, strings, and numbers of text files
    bool binary = false;    // a number read from a binary list: see value
    bool integer = false;
    double value = 0.0;
};

class TokenStream {
public:
    virtual ~TokenStream() = default;
    virtual Token Next() = 0;
    // An upper bound on the number of values still to come.
    virtual size_t Remaining() const = 0;
};

inline bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
inline bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }
inline bool IsNumberStart(char c) { return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.'; }
inline bool IsNumberChar(char c) {
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}

class TextLexer final : public TokenStream {
public:
    TextLexer(const char* begin, const char* end) : p_(begin), end_(end) {}

    Token Next() override {
        for (;;) {
            while (p_ < end_ &&
                   (*p_ == ' ' || *p_ == '\t' || *p_ == '\r' || *p_ == '\n' || *p_ == ',' || *p_ == ';' ||
                    *p_ == '\f' || *p_ == '\v'))
                ++p_;
            if (p_ >= end_) return {Tok::End, {}};
            const bool slashes = *p_ == '/' && end_ - p_ >= 2 && p_[1] == '/';
            if (!slashes && *p_ != '#') break;
            while (p_ < end_ && *p_ != '\n') ++p_;
        }
        const char* start = p_;
        const char c = *p_;
        auto make = [&](Tok kind) { return Token{kind, std::string_view(start, static_cast<size_t>(p_ - start))}; };
        if (c == '{') {
            ++p_;
            return make(Tok::LBrace);
        }
        if (c == '}') {
            ++p_;
            return make(Tok::RBrace);
        }
        if (c == '"') {
            ++p_;
            while (p_ < end_ && *p_ != '"') ++p_;
            if (p_ >= end_) return {Tok::Error, {}};
            ++p_;
            return Token{Tok::String, std::string_view(start + 1, static_cast<size_t>(p_ - start - 2))};
        }
        if (c == '<') {
            while (p_ < end_ && *p_ != '>') ++p_;
            if (p_ >= end_) return {Tok::Error, {}};
            ++p_;
            return make(Tok::Guid);
        }
        if (IsNameStart(c)) {
            while (p_ < end_ && IsNameChar(*p_)) ++p_;
            return make(Tok::Name);
        }
        if (IsNumberStart(c)) {
            while (p_ < end_ && IsNumberChar(*p_)) ++p_;
            return make(Tok::Number);
        }
        ++p_;
        return make(Tok::Other);
    }
    size_t Remaining() const override { return static_cast<size_t>(end_ - p_); }

private:
    const char* p_;
    const char* end_;
};

// Binary tokens: a 16-bit tag, then the token's own data (little-endian).
class BinaryLexer final : public TokenStream {
public:
    BinaryLexer(const unsigned char* begin, const unsigned char* end, bool doubles)
        : p_(begin), end_(end), floatSize_(doubles ? 8 : 4) {}

    Token Next() override {
        for (;;) {
            if (listLeft_ > 0) return ListItem();
            if (p_ == end_) return {Tok::End, {}};
            uint16_t tag = 0;
            if (!Read16(tag)) return Error();
            switch (tag) {
                case 1: return ReadText(Tok::Name, false);
                case 2: return ReadText(Tok::String, true);  // with its terminating separator
                case 3: {                                    // one integer
                    uint32_t v = 0;
                    if (!Read32(v)) return Error();
                    return Number(v, true);
                }
                case 5:  // GUID
                    if (Left() < 16) return Error();
                    p_ += 16;
                    return {Tok::Guid, {}};
                case 6:  // integer list
                case 7:  // float list
                    if (!OpenList(tag == 7)) return Error();
                    continue;
                case 10: return {Tok::LBrace, {}};
                case 11: return {Tok::RBrace, {}};
                case 19:  // comma
                case 20:  // semicolon
                    continue;
                case 31: return {Tok::Name, "template"};
                default:
                    // Remaining punctuation and the type keywords of templates.
                    if ((tag >= 12 && tag <= 18) || (tag >= 40 && tag <= 53)) return {Tok::Other, {}};
                    return Error();
            }
        }
    }
    size_t Remaining() const override { return Left() / 4 + listLeft_; }

private:
    // A counted run of characters (a name or a string), and for a string the
    // separator token after it.
    Token ReadText(Tok kind, bool separator) {
        uint32_t n = 0;
        if (!Read32(n) || n > Left()) return Error();
        Token t{kind, std::string_view(reinterpret_cast<const char*>(p_), n)};
        p_ += n;
        uint16_t term = 0;
        if (separator && !Read16(term)) return Error();
        return t;
    }
    // The count of a list whose items the next calls hand out one by one.
    bool OpenList(bool floats) {
        uint32_t n = 0;
        if (!Read32(n)) return false;
        const size_t itemSize = floats ? floatSize_ : 4;
        if (n > Left() / itemSize) return false;
        listLeft_ = n;
        listItemSize_ = itemSize;
        listFloats_ = floats;
        return true;
    }
    size_t Left() const { return static_cast<size_t>(end_ - p_); }
    bool Read16(uint16_t& v) {
        if (Left() < 2) return false;
        v = static_cast<uint16_t>(p_[0] | (p_[1] << 8));
        p_ += 2;
        return true;
    }
    bool Read32(uint32_t& v) {
        if (Left() < 4) return false;
        v = uint32_t(p_[0]) | (uint32_t(p_[1]) << 8) | (uint32_t(p_[2]) << 16) | (uint32_t(p_[3]) << 24);
        p_ += 4;
        return true;
    }
    Token Error() {
        p_ = end_;
        listLeft_ = 0;
        return {Tok::Error, {}};
    }
    static Token Number(double v, bool integer) {
        Token t{Tok::Number, {}};
        t.binary = true;
        t.integer = integer;
        t.value = v;
        return t;
    }
    Token ListItem() {
        --listLeft_;
        const unsigned char* q = p_;
        p_ += listItemSize_;  // the list's length was checked when it began
        if (!listFloats_) {
            const uint32_t v = uint32_t(q[0]) | (uint32_t(q[1]) << 8) | (uint32_t(q[2]) << 16) | (uint32_t(q[3]) << 24);
            return Number(v, true);
        }
        if (listItemSize_ == 8) {
            double d;
            std::memcpy(&d, q, 8);
            return Number(d, false);
        }
        float f;
        std::memcpy(&f, q, 4);
        return Number(f, false);
    }

    const unsigned char* p_;
    const unsigned char* end_;
    size_t floatSize_;
    uint32_t listLeft_ = 0;
    size_t listItemSize_ = 4;
    bool listFloats_ = false;
};

}  // namespace d3dx::xfile
