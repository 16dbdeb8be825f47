// The JSON reader (recursive descent, depth-limited) and writer helpers of
// json.h. Input is a file another program wrote, so every error is a
// message, never a crash.
#include "json.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kMaxDepth = 64;

struct Parser {
    const std::string &s;
    size_t i = 0;
    std::string error;

    void skip_space() {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
    }
    bool fail(const char *what) {
        if (error.empty()) error = std::string(what) + " at byte " + std::to_string(i);
        return false;
    }
    bool literal(const char *word) {
        size_t n = 0;
        while (word[n]) ++n;
        if (s.compare(i, n, word) != 0) return fail("unknown word");
        i += n;
        return true;
    }
    static void append_utf8(std::string *out, unsigned cp) {
        if (cp < 0x80) {
            out->push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    bool hex4(unsigned *out) {
        if (i + 4 > s.size()) return fail("short \\u escape");
        unsigned v = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = s[i++];
            v <<= 4;
            if (c >= '0' && c <= '9')
                v |= c - '0';
            else if (c >= 'a' && c <= 'f')
                v |= c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                v |= c - 'A' + 10;
            else
                return fail("bad \\u escape");
        }
        *out = v;
        return true;
    }
    bool string(std::string *out) {
        ++i;  // the opening quote
        while (i < s.size() && s[i] != '"') {
            const char c = s[i++];
            if (c != '\\') {
                out->push_back(c);
                continue;
            }
            if (i >= s.size()) break;
            const char e = s[i++];
            switch (e) {
                case '"': out->push_back('"'); break;
                case '\\': out->push_back('\\'); break;
                case '/': out->push_back('/'); break;
                case 'b': out->push_back('\b'); break;
                case 'f': out->push_back('\f'); break;
                case 'n': out->push_back('\n'); break;
                case 'r': out->push_back('\r'); break;
                case 't': out->push_back('\t'); break;
                case 'u': {
                    unsigned cp = 0;
                    if (!hex4(&cp)) return false;
                    // A surrogate pair is one character; a lone half stands for U+FFFD.
                    if (cp >= 0xD800 && cp < 0xDC00 && s.compare(i, 2, "\\u") == 0) {
                        i += 2;
                        unsigned low = 0;
                        if (!hex4(&low)) return false;
                        cp = low >= 0xDC00 && low < 0xE000 ? 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00) : 0xFFFD;
                    } else if (cp >= 0xD800 && cp < 0xE000) {
                        cp = 0xFFFD;
                    }
                    append_utf8(out, cp);
                    break;
                }
                default: return fail("bad escape");
            }
        }
        if (i >= s.size()) return fail("unterminated string");
        ++i;
        return true;
    }
    bool value(JsonValue *out, int depth) {
        if (depth > kMaxDepth) return fail("nesting too deep");
        skip_space();
        if (i >= s.size()) return fail("value expected");
        const char c = s[i];
        if (c == '{') {
            out->kind = JsonValue::Kind::Object;
            ++i;
            skip_space();
            if (i < s.size() && s[i] == '}') return ++i, true;
            for (;;) {
                skip_space();
                if (i >= s.size() || s[i] != '"') return fail("member name expected");
                std::string key;
                if (!string(&key)) return false;
                skip_space();
                if (i >= s.size() || s[i] != ':') return fail("':' expected");
                ++i;
                JsonValue member;
                if (!value(&member, depth + 1)) return false;
                out->members.emplace_back(std::move(key), std::move(member));
                skip_space();
                if (i < s.size() && s[i] == ',') {
                    ++i;
                    continue;
                }
                if (i < s.size() && s[i] == '}') return ++i, true;
                return fail("',' or '}' expected");
            }
        }
        if (c == '[') {
            out->kind = JsonValue::Kind::Array;
            ++i;
            skip_space();
            if (i < s.size() && s[i] == ']') return ++i, true;
            for (;;) {
                JsonValue item;
                if (!value(&item, depth + 1)) return false;
                out->items.push_back(std::move(item));
                skip_space();
                if (i < s.size() && s[i] == ',') {
                    ++i;
                    continue;
                }
                if (i < s.size() && s[i] == ']') return ++i, true;
                return fail("',' or ']' expected");
            }
        }
        if (c == '"') {
            out->kind = JsonValue::Kind::String;
            return string(&out->text);
        }
        if (c == 't' || c == 'f') {
            out->kind = JsonValue::Kind::Bool;
            out->boolean = c == 't';
            return literal(c == 't' ? "true" : "false");
        }
        if (c == 'n') return literal("null");
        const char *start = s.c_str() + i;
        char *end = nullptr;
        const double v = std::strtod(start, &end);
        if (end == start || !std::isfinite(v)) return fail("value expected");
        out->kind = JsonValue::Kind::Number;
        out->number = v;
        i += end - start;
        return true;
    }
};

}  // namespace

const JsonValue *JsonValue::get(const std::string &key) const {
    for (const auto &m : members)
        if (m.first == key) return &m.second;
    return nullptr;
}

bool parse_json(const std::string &text, JsonValue *out, std::string *error) {
    Parser p{text, 0, {}};
    *out = JsonValue();
    bool ok = p.value(out, 0);
    if (ok) {
        p.skip_space();
        if (p.i != text.size()) ok = p.fail("text after the value");
    }
    if (!ok && error) *error = p.error;
    return ok;
}

std::string json_number(double v) {
    if (!std::isfinite(v)) return "0";
    char text[64];
    std::snprintf(text, sizeof text, "%.10g", v);
    return text;
}

double json_number_at(const JsonValue &v, const char *key, double fallback) {
    const JsonValue *m = v.get(key);
    return m ? m->number_or(fallback) : fallback;
}

std::string json_text_at(const JsonValue &v, const char *key, const std::string &fallback) {
    const JsonValue *m = v.get(key);
    return m ? m->text_or(fallback) : fallback;
}
