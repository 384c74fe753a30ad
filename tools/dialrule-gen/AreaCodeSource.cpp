#include "tools/dialrule-gen/AreaCodeSource.h"

#include <phonenumbers/geocoding/phonenumber_offline_geocoder.h>
#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>

#include <map>

namespace {

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberOfflineGeocoder;
using i18n::phonenumbers::PhoneNumberUtil;

constexpr int kChina = 86;

// Local numbers that begin with each of the digits a subscriber number may start with.
const char* const kLocalSamples[] = {"2345678", "3456789", "4567890", "5678901",
                                     "6789012", "7654321", "8765432"};

// Candidate codes without the trunk "0": 10, 20-29 and 300-999.
std::vector<std::string> CandidateCodes() {
    std::vector<std::string> codes = {"10"};
    for (int code = 20; code <= 29; ++code) {
        codes.push_back(std::to_string(code));
    }
    for (int code = 300; code <= 999; ++code) {
        codes.push_back(std::to_string(code));
    }
    return codes;
}

struct TLengthProbe {
    int Valid = 0;
    std::map<std::string, int> Descriptions;
};

TLengthProbe Probe(const std::string& code, int localLength) {
    const PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
    static const PhoneNumberOfflineGeocoder geocoder;
    static const icu::Locale chinese("zh");
    TLengthProbe probe;
    for (const char* sample : kLocalSamples) {
        std::string local = std::string(sample).substr(0, 7) + (localLength == 8 ? "1" : "");
        PhoneNumber number;
        number.set_country_code(kChina);
        number.set_national_number(std::stoull(code + local));
        if (util.IsValidNumber(number) &&
            util.GetNumberType(number) == PhoneNumberUtil::FIXED_LINE) {
            ++probe.Valid;
            ++probe.Descriptions[geocoder.GetDescriptionForNumber(number, chinese)];
        }
    }
    return probe;
}

std::string MostCommon(const std::map<std::string, int>& counts) {
    std::string best;
    int bestCount = 0;
    for (const auto& [text, count] : counts) {
        if (count > bestCount) {
            best = text;
            bestCount = count;
        }
    }
    return best;
}

}  // namespace

void SplitPlaceName(const std::string& description, std::string& province, std::string& city) {
    static const char* const kRegions[] = {"内蒙古", "广西", "西藏", "宁夏", "新疆"};
    const std::string::size_type sheng = description.find("省");
    if (sheng != std::string::npos) {
        province = description.substr(0, sheng + std::string("省").size());
        city = description.substr(province.size());
        return;
    }
    for (const char* region : kRegions) {
        if (description.rfind(region, 0) == 0) {
            province = region;
            city = description.substr(province.size());
            return;
        }
    }
    province = description;  // 北京市, 上海市, 天津市, 重庆市
    city = description;
}

std::vector<TAreaRow> ChinaAreaCodes() {
    const int kSamples = static_cast<int>(std::size(kLocalSamples));
    std::vector<TAreaRow> rows;
    for (const std::string& code : CandidateCodes()) {
        TLengthProbe seven = Probe(code, 7);
        TLengthProbe eight = Probe(code, 8);
        // A length counts only when every sample is valid: a code that the
        // metadata accepts for a few local ranges only is no whole area.
        const bool sevenValid = seven.Valid == kSamples;
        const bool eightValid = eight.Valid == kSamples;
        if (!sevenValid && !eightValid) {
            continue;
        }
        TAreaRow row;
        row.AreaCode = "0" + code;
        // Where both are valid the area is moving to eight digits.
        row.TelLength = eightValid ? 8 : 7;
        row.BothLengthsValid = sevenValid && eightValid;
        const std::string description =
            MostCommon(eightValid ? eight.Descriptions : seven.Descriptions);
        if (description.empty() || description == "中国") {
            continue;  // not tied to a place
        }
        SplitPlaceName(description, row.Province, row.City);
        if (row.City.empty()) {
            continue;
        }
        rows.push_back(row);
    }
    return rows;
}
