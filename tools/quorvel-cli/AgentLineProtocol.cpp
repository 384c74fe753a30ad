#include "AgentLineProtocol.h"

#include "platform/Text.h"

std::string FormatEventLine(int myEvt, int iParam, const std::string& sParam) {
    std::string line = std::to_string(myEvt) + '\t' + std::to_string(iParam) + '\t';
    for (char c : sParam) {
        switch (c) {
            case '\\':
                line += "\\\\";
                break;
            case '\t':
                line += "\\t";
                break;
            case '\n':
                line += "\\n";
                break;
            case '\r':
                line += "\\r";
                break;
            default:
                line += c;
        }
    }
    return line;
}

bool ParseSimCommand(const std::string& raw, int& kind, std::string& text, std::string& error) {
    std::string line = raw;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (line.compare(0, 4, "sim ") != 0) {
        error = "not a \"sim KIND TEXT\" line";
        return false;
    }
    const std::size_t kindEnd = line.find(' ', 4);
    const std::string kindText =
        line.substr(4, kindEnd == std::string::npos ? std::string::npos : kindEnd - 4);
    const auto value = platform::ParseInt64(kindText);
    if (kindText.empty() || !value || *value < -1000000 || *value > 1000000 ||
        kindText.find_first_not_of("-0123456789") != std::string::npos) {
        error = "KIND \"" + kindText + "\" is not a number";
        return false;
    }
    kind = static_cast<int>(*value);
    text = kindEnd == std::string::npos ? std::string() : line.substr(kindEnd + 1);
    return true;
}
