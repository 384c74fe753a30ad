#include "client/numberrules/tests/SyntheticRules.h"

std::string SyntheticMobilSeg(int i) {
    return std::to_string(1300000 + i);
}

std::string SyntheticAreaCode(int i) {
    return "0" + std::to_string(3000 + i);
}

std::string SyntheticRuleDocument(int mobilSegs, int areaCodes) {
    std::string xml;
    xml.reserve(static_cast<std::size_t>(mobilSegs) * 56 +
                static_cast<std::size_t>(areaCodes) * 90 + 4096);
    xml +=
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<DialRule>\n"
        "<IPPrefixs>\n"
        "<Item IPPrefix=\"17951\" ServiceName=\"移动IP\"/>\n"
        "<Item IPPrefix=\"17911\" ServiceName=\"联通IP\"/>\n"
        "<Item IPPrefix=\"17909\" ServiceName=\"电信IP\"/>\n"
        "</IPPrefixs>\n<ShortTelNos>\n"
        "<Item ShortTelNo=\"110\" ServiceName=\"报警电话\"/>\n"
        "<Item ShortTelNo=\"120\" ServiceName=\"急救中心\"/>\n"
        "<Item ShortTelNo=\"10086\" ServiceName=\"中国移动客服\"/>\n"
        "<Item ShortTelNo=\"95555\" ServiceName=\"招商银行\"/>\n"
        "</ShortTelNos>\n<AreaCodes>\n"
        "<Item AreaCode=\"010\" TelLength=\"8\" Province=\"北京市\" City=\"北京市\"/>\n";
    for (int i = 0; i < areaCodes; ++i) {
        xml += "<Item AreaCode=\"" + SyntheticAreaCode(i) +
               "\" TelLength=\"7\" Province=\"某省\" City=\"某市" + std::to_string(i) + "\"/>\n";
    }
    xml += "</AreaCodes>\n<MobilCodeSegs TelLength=\"11\">\n";
    for (int i = 0; i < mobilSegs; ++i) {
        xml += "<Item CodeSeg=\"" + SyntheticMobilSeg(i) + "\" ServiceName=\"中国移动\"/>\n";
    }
    xml +=
        "</MobilCodeSegs>\n<iNets>\n"
        "<Item CodeSeg=\"400\" TelLength=\"10\" ServiceName=\"400电话\"/>\n"
        "<Item CodeSeg=\"800\" TelLength=\"10\" ServiceName=\"800电话\"/>\n"
        "</iNets>\n</DialRule>\n";
    return xml;
}
