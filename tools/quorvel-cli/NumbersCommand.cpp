#include "NumbersCommand.h"

#include <istream>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "client/agent/LineInput.h"
#include "client/agent/NumberClassification.h"
#include "client/numberrules/TTelRule.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace {

using Json = nlohmann::ordered_json;

struct NumbersOptions {
    std::string rulesFile;
    std::string areaCode = "0755";  // the agent's defaults
    int localLength = 8;
    std::optional<bool> caller;  // true --caller, false --dialled
    std::vector<std::string> numbers;
};

bool ParseOptions(int argc, char** args, NumbersOptions& o, std::ostream& err) {
    for (int i = 0; i < argc; ++i) {
        const std::string a = args[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                err << "quorvel-cli numbers: " << name << " needs a value\n";
                return nullptr;
            }
            return args[++i];
        };
        if (a == "--rules") {
            const char* v = value("--rules");
            if (!v)
                return false;
            o.rulesFile = v;
        } else if (a == "--area-code") {
            const char* v = value("--area-code");
            if (!v)
                return false;
            o.areaCode = platform::Trim(v);
        } else if (a == "--local-length") {
            const char* v = value("--local-length");
            if (!v)
                return false;
            const auto n = platform::ParseInt64(v);
            if (!n || *n < 0 || *n > kMaxRuleTelLength) {
                err << "quorvel-cli numbers: --local-length must be a number from 0 to "
                    << kMaxRuleTelLength << ", not \"" << v << "\"\n";
                return false;
            }
            o.localLength = static_cast<int>(*n);
        } else if (a == "--caller" || a == "--dialled") {
            const bool caller = a == "--caller";
            if (o.caller && *o.caller != caller) {
                err << "quorvel-cli numbers: give either --caller or --dialled\n";
                return false;
            }
            o.caller = caller;
        } else if (a == "--") {
            for (++i; i < argc; ++i)
                o.numbers.emplace_back(args[i]);
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            err << "quorvel-cli numbers: unknown option " << a << "\n";
            return false;
        } else {
            o.numbers.push_back(a);
        }
    }
    if (o.rulesFile.empty()) {
        err << "quorvel-cli numbers: --rules FILE is required\n";
        return false;
    }
    if (!o.caller) {
        err << "quorvel-cli numbers: give --caller or --dialled\n";
        return false;
    }
    return true;
}

void PutAttr(Json& j, const TTelAttr& a) {
    j["Stage"] = a.Stage;
    j["TelType"] = a.TelType;
    j["IPPrefixLen"] = a.IPPrefixLen;
    j["AreaCodeLen"] = a.AreaCodeLen;
    j["NumberPos"] = a.NumberPos;
    j["NumberLen"] = a.NumberLen;
    j["Province"] = a.Province;
    j["City"] = a.City;
    j["TelLength"] = a.TelLength;
    j["ServiceName"] = a.ServiceName;
}

// A caller number in one pass, as the agent classifies an outside caller.
Json ClassifyCaller(const TTelRule& rules, const TLocalInfo& local, int localLength,
                    const std::string& number) {
    std::string note;
    std::string telNo = CleanLineText(number, note);
    TTelAttr attr = NewCallTelAttr(local, localLength);
    ClassifyIncomingNumber(&rules, local, telNo, attr);
    Json j;
    j["Number"] = number;
    PutAttr(j, attr);
    j["TelNo"] = telNo;
    j["Event3"] = NumberEventText(kNumberOutsideCaller, telNo, attr);
    if (!note.empty())
        j["Note"] = note;
    return j;
}

// A dialled number digit by digit, as the agent follows a direct line: the
// number ends at the digit that completes it; without one it ends by time-out.
Json ClassifyDialled(const TTelRule& rules, const TLocalInfo& local, int localLength,
                     const std::string& number, bool& refused) {
    Json j;
    j["Number"] = number;
    for (std::size_t i = 0; i < number.size(); ++i) {
        if (!IsDtmfDigit(std::string_view(number).substr(i, 1))) {
            j["Error"] = "not a telephone key at position " + std::to_string(i + 1);
            refused = true;
            return j;
        }
    }
    TTelAttr attr = NewCallTelAttr(local, localLength);
    std::string digits;
    bool complete = false;
    for (char c : number) {
        digits += c;
        if ((complete = AdvanceDialledNumber(&rules, digits, attr)))
            break;
    }
    PutAttr(j, attr);
    const std::string telNo = DialledTelNo(digits, attr);
    j["TelNo"] = telNo;
    j["Event3"] = NumberEventText(kNumberOutgoingOutside, telNo, attr);
    j["Digits"] = digits;
    j["Complete"] = complete;
    return j;
}

}  // namespace

int RunNumbersCommand(int argc, char** args, std::istream& in, std::ostream& out,
                      std::ostream& err) {
    NumbersOptions o;
    if (!ParseOptions(argc, args, o, err))
        return 2;
    if (!platform::FileExists(o.rulesFile)) {
        err << "quorvel-cli numbers: no rule file " << o.rulesFile << "\n";
        return 2;
    }
    int status = 0;
    TTelRule rules;
    if (const TRuleLoadResult r = rules.LoadFromFile(o.rulesFile); !r) {
        err << "quorvel-cli numbers: " << r.Error << " (the lists read before it are used)\n";
        status = 1;
    }
    TLocalInfo local;
    local.AreaCode = o.areaCode;
    rules.FindLocalInfo(local);

    auto classify = [&](const std::string& number) {
        bool refused = false;
        const Json j = *o.caller ? ClassifyCaller(rules, local, o.localLength, number)
                                 : ClassifyDialled(rules, local, o.localLength, number, refused);
        if (refused)
            status = 1;
        out << j.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n' << std::flush;
    };
    if (!o.numbers.empty()) {
        for (const std::string& n : o.numbers)
            classify(n);
    } else {
        std::string line;
        while (std::getline(in, line)) {
            const std::string number = platform::Trim(line);
            if (!number.empty())
                classify(number);  // blank lines separate nothing
        }
    }
    return status;
}
