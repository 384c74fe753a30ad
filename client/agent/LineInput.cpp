#include "client/agent/LineInput.h"

#include "platform/Text.h"

std::string CleanLineText(std::string_view text, std::string& note) {
    std::string out;
    if (platform::IsValidUtf8(text)) {
        out.assign(text);
    } else {
        out = platform::SanitizeUtf8(text);
        note = "invalid UTF-8 replaced";
    }
    if (out.size() > kMaxLineTextLength) {
        std::size_t cut = kMaxLineTextLength;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80)
            --cut;
        out.resize(cut);
        if (!note.empty())
            note += ", ";
        note +=
            "cut from " + std::to_string(text.size()) + " bytes to " + std::to_string(out.size());
    }
    return out;
}

bool IsDtmfDigit(std::string_view text) {
    if (text.size() != 1)
        return false;
    const char c = text[0];
    return (c >= '0' && c <= '9') || c == '*' || c == '#' || (c >= 'A' && c <= 'D') ||
           (c >= 'a' && c <= 'd');
}
