// The report is JSON that any strict reader takes: no NaN or infinity
// (written as null), strings escaped.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <limits>
#include <string>

#include "app/report.h"
#include "core/game_context.h"

namespace dw {
namespace {

// A strict JSON reader (RFC 8259 grammar, no extensions): true when the
// whole text is one value.
class StrictJson {
public:
    explicit StrictJson(const std::string& text) : s_(text) {}
    bool Valid() {
        Space();
        if (!Value()) return false;
        Space();
        return i_ == s_.size();
    }

private:
    bool Value() {
        if (i_ >= s_.size()) return false;
        const char c = s_[i_];
        if (c == '{') return Object();
        if (c == '[') return Array();
        if (c == '"') return String();
        if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) return Number();
        return Word("true") || Word("false") || Word("null");
    }
    bool Object() {
        ++i_;
        Space();
        if (Eat('}')) return true;
        do {
            Space();
            if (!String()) return false;
            Space();
            if (!Eat(':')) return false;
            Space();
            if (!Value()) return false;
            Space();
        } while (Eat(','));
        return Eat('}');
    }
    bool Array() {
        ++i_;
        Space();
        if (Eat(']')) return true;
        do {
            Space();
            if (!Value()) return false;
            Space();
        } while (Eat(','));
        return Eat(']');
    }
    bool String() {
        if (!Eat('"')) return false;
        while (i_ < s_.size()) {
            const unsigned char c = static_cast<unsigned char>(s_[i_++]);
            if (c == '"') return true;
            if (c < 0x20) return false;
            if (c != '\\') continue;
            if (i_ >= s_.size()) return false;
            const char e = s_[i_++];
            if (e == 'u') {
                for (int k = 0; k < 4; ++k)
                    if (i_ >= s_.size() || !std::isxdigit(static_cast<unsigned char>(s_[i_++]))) return false;
            } else if (std::string("\"\\/bfnrt").find(e) == std::string::npos) {
                return false;
            }
        }
        return false;
    }
    bool Number() {
        Eat('-');
        if (Eat('0')) {
        } else if (!Digits()) {
            return false;
        }
        if (Eat('.') && !Digits()) return false;
        if (Eat('e') || Eat('E')) {
            if (!Eat('+')) Eat('-');
            if (!Digits()) return false;
        }
        return true;
    }
    bool Digits() {
        const std::size_t start = i_;
        while (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_]))) ++i_;
        return i_ > start;
    }
    bool Word(const char* w) {
        const std::string word = w;
        if (s_.compare(i_, word.size(), word) != 0) return false;
        i_ += word.size();
        return true;
    }
    bool Eat(char c) {
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    void Space() {
        while (i_ < s_.size() && std::string(" \t\r\n").find(s_[i_]) != std::string::npos) ++i_;
    }
    const std::string& s_;
    std::size_t i_ = 0;
};

TEST(StrictJson, TellsJsonFromWhatOnlyLooksLikeIt) {
    EXPECT_TRUE(StrictJson(R"({"a": [1, -0.5e3, "x\u00e9\n"], "b": {"c": null}})").Valid());
    for (const char* bad : {R"({"a": nan})", R"({"a": -inf})", R"({"a": NaN})", R"({"a": 1,})", R"({"a": 01})",
                            "{\"a\": \"\x01\"}", R"({"a": 1} x)"})
        EXPECT_FALSE(StrictJson(bad).Valid()) << bad;
}

TEST(Report, NonFiniteNumbersAreNullAndTheWholeIsStrictJson) {
    GameContext ctx;
    ctx.mouseSpeed = std::numeric_limits<float>::quiet_NaN();
    ctx.fieldOfView = std::numeric_limits<float>::infinity();
    const std::string json = BuildReport(ctx, nullptr, 7, RendererCounters{});
    EXPECT_TRUE(StrictJson(json).Valid()) << json;
    EXPECT_NE(json.find("\"mouseSpeed\": null"), std::string::npos) << json;
    EXPECT_NE(json.find("\"fieldOfView\": null"), std::string::npos) << json;
    EXPECT_NE(json.find("\"frames\": 7"), std::string::npos);
}

}  // namespace
}  // namespace dw
