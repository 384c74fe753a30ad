#include "client/service/RecordFields.h"

#include <cctype>
#include <cstdint>
#include <vector>

#include "platform/Text.h"

std::string QueueDateTimeText(const platform::DateTime& t) {
    return platform::FormatDateTime("yyyy-MM-dd HH:mm:ss", t);
}

namespace {

bool IsLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

}  // namespace

std::optional<platform::DateTime> ParseQueueDateTime(std::string_view text) {
    const std::string trimmed = platform::Trim(text);
    std::vector<int> numbers;
    std::vector<char> separators;
    std::size_t i = 0;
    while (i < trimmed.size()) {
        if (!std::isdigit(static_cast<unsigned char>(trimmed[i])))
            return std::nullopt;
        int value = 0;
        std::size_t digits = 0;
        while (i < trimmed.size() && std::isdigit(static_cast<unsigned char>(trimmed[i]))) {
            if (++digits > 4)
                return std::nullopt;
            value = value * 10 + (trimmed[i] - '0');
            ++i;
        }
        numbers.push_back(value);
        if (i < trimmed.size())
            separators.push_back(trimmed[i++]);
        if (i == trimmed.size() && separators.size() == numbers.size())
            return std::nullopt;
    }
    // Separators by position: date, date, space, time, time, fraction.
    static const char* const kAllowed[] = {"-/", "-/", " T", ":", ":", "."};
    if (numbers.size() != 3 && numbers.size() != 6 && numbers.size() != 7)
        return std::nullopt;
    for (std::size_t s = 0; s < separators.size(); ++s) {
        if (std::string_view(kAllowed[s]).find(separators[s]) == std::string_view::npos) {
            return std::nullopt;
        }
    }
    if (separators.size() >= 2 && separators[0] != separators[1])
        return std::nullopt;
    platform::DateTime t;
    t.year = numbers[0];
    t.month = numbers[1];
    t.day = numbers[2];
    if (numbers.size() >= 6) {
        t.hour = numbers[3];
        t.minute = numbers[4];
        t.second = numbers[5];
    }
    if (numbers.size() == 7)
        t.msec = numbers[6];
    if (t.year < 1900 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > DaysInMonth(t.year, t.month) || t.hour > 23 || t.minute > 59 || t.second > 59 ||
        t.msec > 999) {
        return std::nullopt;
    }
    return t;
}

TFieldAttributes TalkInfoAttributes(const TTalkInfo& info) {
    return {
        {"UserID", std::to_string(info.UserID)},
        {"UserAccount", info.UserAccount},
        {"UserName", info.UserName},
        {"CallerID", info.CallerID},
        {"UserFullCode", info.UserFullCode},
        {"CompanyName", info.CompanyName},
        {"ClientName", info.ClientName},
        {"Corp", info.Corp},
        {"Province", info.Province},
        {"City", info.City},
        {"TalkType", std::to_string(info.TalkType)},
        {"tmStart", QueueDateTimeText(info.tmStart)},
        {"tmEnd", QueueDateTimeText(info.tmEnd)},
        {"guidVocID", info.guidVocID},
        {"locFile", info.locFile},
        {"EnterpriseName", info.EnterpriseName},
    };
}

namespace {

// Reads the named attributes in turn; the first failure stays in error().
class FieldReader {
  public:
    explicit FieldReader(const TFieldValues& values) : values_(values) {}

    bool text(const char* name, std::string& out) {
        if (failed())
            return false;
        const auto it = values_.find(name);
        if (it == values_.end())
            return fail(std::string("缺少属性 ") + name);
        out = it->second;
        return true;
    }

    bool integer(const char* name, std::int32_t& out) {
        std::string raw;
        if (!text(name, raw))
            return false;
        const auto value = platform::ParseInt64(raw);
        if (!value || *value < INT32_MIN || *value > INT32_MAX) {
            return fail(std::string("属性 ") + name + " 不是整数: " + raw.substr(0, 40));
        }
        out = static_cast<std::int32_t>(*value);
        return true;
    }

    bool dateTime(const char* name, platform::DateTime& out) {
        std::string raw;
        if (!text(name, raw))
            return false;
        const auto value = ParseQueueDateTime(raw);
        if (!value)
            return fail(std::string("属性 ") + name + " 不是日期时间: " + raw.substr(0, 40));
        out = *value;
        return true;
    }

    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }

  private:
    bool fail(std::string message) {
        error_ = std::move(message);
        return false;
    }
    const TFieldValues& values_;
    std::string error_;
};

}  // namespace

bool TalkInfoFromFields(const TFieldValues& values, TTalkInfo& info, std::string& error) {
    FieldReader r(values);
    // The order of the original reader; what the error line shows is read first.
    r.text("CallerID", info.CallerID);
    int talkType = 0;
    std::int32_t rawType = 0;
    if (r.integer("TalkType", rawType))
        talkType = rawType;
    info.TalkType = talkType;
    r.dateTime("tmStart", info.tmStart);
    r.text("EnterpriseName", info.EnterpriseName);
    r.integer("UserID", info.UserID);
    r.text("UserAccount", info.UserAccount);
    r.text("UserName", info.UserName);
    r.text("UserFullCode", info.UserFullCode);
    r.dateTime("tmEnd", info.tmEnd);
    r.text("guidVocID", info.guidVocID);
    r.text("locFile", info.locFile);
    r.text("CompanyName", info.CompanyName);
    r.text("ClientName", info.ClientName);
    r.text("Corp", info.Corp);
    r.text("Province", info.Province);
    r.text("City", info.City);
    if (r.failed()) {
        error = r.error();
        return false;
    }
    return true;
}

TFieldAttributes VocFileInfoAttributes(const TVocFileInfo& info) {
    return {
        {"UserID", std::to_string(info.UserID)},
        {"guidVocID", info.guidVocID},
        {"locFile", info.locFile},
    };
}

bool VocFileInfoFromFields(const TFieldValues& values, TVocFileInfo& info, std::string& error) {
    FieldReader r(values);
    r.text("locFile", info.locFile);
    r.integer("UserID", info.UserID);
    r.text("guidVocID", info.guidVocID);
    if (r.failed()) {
        error = r.error();
        return false;
    }
    if (info.locFile.empty()) {
        error = "属性 locFile 为空";
        return false;
    }
    return true;
}
