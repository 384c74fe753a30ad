// China's area codes with their local-number length, province and city,
// taken from libphonenumber's metadata and its Chinese geocoding data.
#pragma once

#include <string>
#include <vector>

struct TAreaRow {
    std::string AreaCode;  // with the trunk "0"
    int TelLength = 0;
    std::string Province;
    std::string City;
    bool BothLengthsValid = false;  // the metadata accepts 7 and 8 digits
};

// Every area code that libphonenumber knows as geographic, in code order.
std::vector<TAreaRow> ChinaAreaCodes();

// Splits a geocoder description such as "广东省深圳市" into province and
// city; a municipality ("北京市") is its own province and city.
void SplitPlaceName(const std::string& description, std::string& province, std::string& city);
