#include "client/agent/OrgCodes.h"

std::string ParseOrgCodes(std::string_view text) {
    std::string result;
    for (;;) {
        const std::size_t underscore = text.find('_');
        if (underscore == std::string_view::npos)
            break;
        text.remove_prefix(underscore + 1);
        const std::size_t bar = text.find('|');
        if (!result.empty())
            result += '_';
        result += text.substr(0, bar);
        if (bar == std::string_view::npos)
            break;
        text.remove_prefix(bar + 1);
    }
    return result;
}
