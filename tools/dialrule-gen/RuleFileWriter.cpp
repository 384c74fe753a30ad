#include "tools/dialrule-gen/RuleFileWriter.h"

std::string XmlAttributeText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

namespace {
std::string Attribute(const char* name, const std::string& value) {
    return std::string(" ") + name + "=\"" + XmlAttributeText(value) + "\"";
}
}  // namespace

void WriteRuleFile(const TRuleFileContent& content, std::ostream& out) {
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out << "<!-- " << content.SourceNote << " -->\n";
    out << "<DialRule>\n  <IPPrefixs>\n";
    for (const TCodeName& e : content.IPPrefixes) {
        out << "    <IPPrefix" << Attribute("IPPrefix", e.Code) << Attribute("ServiceName", e.Name)
            << "/>\n";
    }
    out << "  </IPPrefixs>\n  <ShortTelNos>\n";
    for (const TCodeName& e : content.ShortNumbers) {
        out << "    <ShortTelNo" << Attribute("ShortTelNo", e.Code)
            << Attribute("ServiceName", e.Name) << "/>\n";
    }
    out << "  </ShortTelNos>\n  <AreaCodes>\n";
    for (const TAreaRow& e : content.AreaCodes) {
        out << "    <AreaCode" << Attribute("AreaCode", e.AreaCode)
            << Attribute("TelLength", std::to_string(e.TelLength))
            << Attribute("Province", e.Province) << Attribute("City", e.City) << "/>\n";
    }
    out << "  </AreaCodes>\n  <MobilCodeSegs"
        << Attribute("TelLength", std::to_string(content.MobileNumberLength)) << ">\n";
    for (const TCodeName& e : content.MobileSegments) {
        out << "    <MobilCodeSeg" << Attribute("CodeSeg", e.Code)
            << Attribute("ServiceName", e.Name) << "/>\n";
    }
    out << "  </MobilCodeSegs>\n  <iNets>\n";
    for (const TNetworkNumber& e : content.NetworkNumbers) {
        out << "    <iNet" << Attribute("CodeSeg", e.Code)
            << Attribute("TelLength", std::to_string(e.TelLength))
            << Attribute("ServiceName", e.Name) << "/>\n";
    }
    out << "  </iNets>\n</DialRule>\n";
}
