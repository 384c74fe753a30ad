#include "platform/Text.h"

#include <charconv>
#include <climits>
#include <cstdio>
#include <random>

namespace platform {

std::string Trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 0x20)
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20)
        --e;
    return std::string(s.substr(b, e - b));
}

namespace {
void AppendNumber(std::string& out, int value, int width) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", width, value);
    out += buf;
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
}  // namespace

std::string FormatDateTime(std::string_view pattern, const DateTime& t) {
    std::string out;
    bool lastWasHour = false;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = Lower(pattern[i]);
        if (pattern[i] == '"' || pattern[i] == '\'') {
            const char quote = pattern[i];
            std::size_t end = pattern.find(quote, i + 1);
            if (end == std::string_view::npos)
                end = pattern.size();
            out.append(pattern.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        std::size_t run = 1;
        while (i + run < pattern.size() && Lower(pattern[i + run]) == c)
            ++run;
        switch (c) {
            case 'y':
                if (run >= 4) {
                    AppendNumber(out, t.year, 4);
                } else {
                    AppendNumber(out, t.year % 100, 2);
                }
                break;
            case 'm':
                if (lastWasHour) {
                    AppendNumber(out, t.minute, run >= 2 ? 2 : 1);
                } else {
                    AppendNumber(out, t.month, run >= 2 ? 2 : 1);
                }
                break;
            case 'd':
                AppendNumber(out, t.day, run >= 2 ? 2 : 1);
                break;
            case 'h':
                AppendNumber(out, t.hour, run >= 2 ? 2 : 1);
                break;
            case 'n':
                AppendNumber(out, t.minute, run >= 2 ? 2 : 1);
                break;
            case 's':
                AppendNumber(out, t.second, run >= 2 ? 2 : 1);
                break;
            case 'z':
                AppendNumber(out, t.msec, run >= 3 ? 3 : 1);
                break;
            default:
                out.append(pattern.substr(i, run));
                break;
        }
        if (c == 'h') {
            lastWasHour = true;
        } else if (c == 'y' || c == 'm' || c == 'd' || c == 'n' || c == 's' || c == 'z') {
            lastWasHour = false;
        }
        i += run;
    }
    return out;
}

std::optional<long long> ParseInt64(std::string_view s) {
    std::string t = Trim(s);
    std::string_view v = t;
    if (!v.empty() && v.front() == '+')
        v.remove_prefix(1);
    if (v.empty())
        return std::nullopt;
    long long value = 0;
    auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), value);
    if (ec != std::errc() || ptr != v.data() + v.size())
        return std::nullopt;
    return value;
}

int StrToIntDef(std::string_view s, int defaultValue) {
    auto v = ParseInt64(s);
    if (!v || *v < INT_MIN || *v > INT_MAX)
        return defaultValue;
    return static_cast<int>(*v);
}

std::string NewGuidString() {
    static thread_local std::mt19937_64 rng{[] {
        std::random_device rd;
        std::seed_seq seq{rd(), rd(), rd(), rd()};
        return std::mt19937_64(seq);
    }()};
    unsigned char b[16];
    for (int i = 0; i < 16; i += 8) {
        const std::uint64_t r = rng();
        for (int j = 0; j < 8; ++j)
            b[i + j] = static_cast<unsigned char>(r >> (8 * j));
    }
    b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40);  // version 4
    b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80);  // RFC 4122 variant
    char out[39];
    std::snprintf(out, sizeof out,
                  "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[0],
                  b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13],
                  b[14], b[15]);
    return std::string(out, 38);
}

namespace {
// Length of the valid UTF-8 sequence at s[i], or 0 when it is invalid.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80)
        return 1;
    std::size_t n;
    unsigned min;
    unsigned cp;
    if ((c & 0xE0) == 0xC0) {
        n = 2, min = 0x80, cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        n = 3, min = 0x800, cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        n = 4, min = 0x10000, cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        const auto cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}
}  // namespace

bool IsValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = Utf8SequenceLength(s, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::string SanitizeUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = Utf8SequenceLength(s, i);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(s.substr(i, n));
            i += n;
        }
    }
    return out;
}

}  // namespace platform
