#include "device/caubox/ControlLine.h"

#include <cctype>

namespace caubox {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Length of the UTF-8 sequence starting at s[i], 0 when it is not valid.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    std::size_t length;
    unsigned int codePoint;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > s.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        codePoint = (codePoint << 6) | (byte(i + k) & 0x3F);
    }
    const bool overlong =
        (length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000);
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (overlong || surrogate || codePoint > 0x10FFFF) {
        return 0;
    }
    return length;
}

}  // namespace

std::string CheckControlLine(std::string_view line) {
    for (std::size_t i = 0; i < line.size();) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if ((c < 0x20 && c != '\t') || c == 0x7F) {
            return "binary data in command (control byte " + std::to_string(c) + ")";
        }
        const std::size_t length = Utf8SequenceLength(line, i);
        if (length == 0) {
            return "binary data in command (not UTF-8 text)";
        }
        i += length;
    }
    return {};
}

ControlCommand SplitControlLine(std::string_view line) {
    std::size_t begin = 0;
    while (begin < line.size() && IsBlank(line[begin])) {
        ++begin;
    }
    std::size_t end = line.size();
    while (end > begin && IsBlank(line[end - 1])) {
        --end;
    }
    line = line.substr(begin, end - begin);
    std::size_t wordEnd = 0;
    while (wordEnd < line.size() && !IsBlank(line[wordEnd])) {
        ++wordEnd;
    }
    ControlCommand command;
    for (char c : line.substr(0, wordEnd)) {
        command.name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    std::size_t argBegin = wordEnd;
    while (argBegin < line.size() && IsBlank(line[argBegin])) {
        ++argBegin;
    }
    command.argument = std::string(line.substr(argBegin));
    return command;
}

}  // namespace caubox
