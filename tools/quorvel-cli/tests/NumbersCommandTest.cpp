// quorvel-cli numbers, run as a program.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "ChildProcess.h"

namespace {

const std::string kRules = std::string(CLI_TEST_FIXTURES) + "/DialRule.xml";

std::vector<nlohmann::json> Objects(const RunResult& r) {
    std::vector<nlohmann::json> out;
    for (const auto& line : r.lines)
        out.push_back(nlohmann::json::parse(line));
    return out;
}

RunResult Numbers(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), {QUORVEL_CLI, "numbers"});
    return RunProgram(args, input);
}

struct NumberCase {
    const char* number;
    const char* telNo;
    int telType;
    const char* event3;
};

TEST(NumbersCommand, CallerNumbersInOnePass) {
    const NumberCase cases[] = {
        {"075526261234", "075526261234", 2, "075526261234|2|广东深圳"},
        {"02088886666", "02088886666", 2, "02088886666|2|广东广州"},
        {"114", "114", 1, "114|1|查号台"},
        {"13812345678", "13812345678", 3, "13812345678|3|中国移动"},
        {"013912345678", "13912345678", 3, "13912345678|3|中国移动"},  // the trunk 0 goes
        {"09999999999", "09999999999", 2, "09999999999|2|广东深圳"},
        {"12/x", "12/x", 2, "12/x|2|广东深圳"},
    };
    std::vector<std::string> args = {"--rules", kRules, "--caller"};
    for (const auto& c : cases)
        args.push_back(c.number);
    const RunResult r = Numbers(args);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto objects = Objects(r);
    ASSERT_EQ(objects.size(), std::size(cases));
    for (std::size_t i = 0; i < objects.size(); ++i) {
        const auto& j = objects[i];
        EXPECT_EQ(j["Number"], cases[i].number);
        EXPECT_EQ(j["TelNo"], cases[i].telNo) << cases[i].number;
        EXPECT_EQ(j["TelType"], cases[i].telType) << cases[i].number;
        EXPECT_EQ(j["Event3"], cases[i].event3) << cases[i].number;
        for (const char* field : {"Stage", "IPPrefixLen", "AreaCodeLen", "NumberPos", "NumberLen",
                                  "Province", "City", "TelLength", "ServiceName"}) {
            EXPECT_TRUE(j.contains(field)) << field;
        }
    }
    EXPECT_EQ(objects[0]["AreaCodeLen"], 4);
    EXPECT_EQ(objects[0]["TelLength"], 8);
    EXPECT_EQ(objects[4]["Province"], "");
}

TEST(NumbersCommand, DialledNumbersDigitByDigit) {
    struct DialCase {
        const char* number;
        const char* telNo;
        int telType;
        const char* event3;
        const char* digits;
        bool complete;
    } cases[] = {
        {"26261234", "26261234", 2, "26261234|2|广东深圳", "26261234", true},
        {"2626123", "2626123", 0, "2626123|0|广东深圳", "2626123", false},  // by time-out
        {"013812345678", "13812345678", 3, "13812345678|3|广东深圳", "013812345678", true},
        {"1795102012345678", "02012345678", 2, "02012345678|2|广东广州", "1795102012345678", true},
        {"1149", "114", 1, "114|1|查号台", "114", true},  // the 9 comes in the conversation
        {"4001234567", "4001234567", 4, "4001234567|4|400电话", "4001234567", true},
        {"08511234567", "08511234567", 2, "08511234567|2|贵州贵阳", "08511234567", true},
        {"*#", "*#", 0, "*#|0|广东深圳", "*#", false},
    };
    std::string input;
    for (const auto& c : cases)
        input += std::string(c.number) + "\n";
    const RunResult r = Numbers({"--rules", kRules, "--dialled"}, input);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto objects = Objects(r);
    ASSERT_EQ(objects.size(), std::size(cases));
    for (std::size_t i = 0; i < objects.size(); ++i) {
        const auto& j = objects[i];
        EXPECT_EQ(j["TelNo"], cases[i].telNo) << cases[i].number;
        EXPECT_EQ(j["TelType"], cases[i].telType) << cases[i].number;
        EXPECT_EQ(j["Event3"], cases[i].event3) << cases[i].number;
        EXPECT_EQ(j["Digits"], cases[i].digits) << cases[i].number;
        EXPECT_EQ(j["Complete"], cases[i].complete) << cases[i].number;
        EXPECT_EQ(j["Stage"], cases[i].complete ? 4 : j["Stage"].get<int>()) << cases[i].number;
    }
}

TEST(NumbersCommand, AreaCodeAndLocalLengthOptions) {
    const RunResult r = Numbers(
        {"--rules", kRules, "--area-code", "0571", "--local-length", "7", "--dialled", "2626123"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto j = Objects(r).at(0);
    EXPECT_EQ(j["Complete"], true);
    EXPECT_EQ(j["Event3"], "2626123|2|浙江杭州");
    const RunResult caller =
        Numbers({"--rules", kRules, "--area-code", " 0999 ", "--caller", "09999999999"});
    EXPECT_EQ(Objects(caller).at(0)["Event3"], "09999999999|2|");
}

TEST(NumbersCommand, StandardInputSkipsBlankLinesAndLineEnds) {
    const RunResult r = Numbers({"--rules", kRules, "--caller"}, "114\r\n\n   \n 110 \n");
    ASSERT_EQ(r.status, 0);
    const auto objects = Objects(r);
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0]["Event3"], "114|1|查号台");
    EXPECT_EQ(objects[1]["Event3"], "110|1|匪警");
}

TEST(NumbersCommand, BadNumbersGetAnAnswerEach) {
    const std::string invalid = "0755\xff\xfe";
    const std::string huge(5000, '8');
    const RunResult r =
        Numbers({"--rules", kRules, "--dialled", "12x", "", "中文", invalid, huge, "114"});
    EXPECT_EQ(r.status, 1);
    const auto objects = Objects(r);  // every line is valid JSON
    ASSERT_EQ(objects.size(), 6u);
    EXPECT_EQ(objects[0]["Error"], "not a telephone key at position 3");
    EXPECT_EQ(objects[1]["TelNo"], "");  // nothing dialled
    EXPECT_TRUE(objects[2].contains("Error"));
    EXPECT_TRUE(objects[3].contains("Error"));
    EXPECT_EQ(objects[4]["Complete"], true);
    EXPECT_EQ(objects[5]["Event3"], "114|1|查号台");

    const RunResult caller = Numbers({"--rules", kRules, "--caller", invalid, huge});
    EXPECT_EQ(caller.status, 0);
    const auto c = Objects(caller);
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(c[0]["TelNo"], "0755\xEF\xBF\xBD\xEF\xBF\xBD");  // as the agent repairs it
    EXPECT_EQ(c[1]["TelNo"].get<std::string>().size(), 128u);  // as the agent cuts it
    EXPECT_TRUE(c[1].contains("Note"));
}

TEST(NumbersCommand, RuleFileWithABadEntryUsesTheListsReadBeforeIt) {
    const RunResult r = Numbers({"--rules", std::string(CLI_TEST_FIXTURES) + "/BadEntry.xml",
                                 "--caller", "114", "075526261234", "13812345678"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("BadEntry.xml"), std::string::npos) << r.err;
    const auto objects = Objects(r);
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_EQ(objects[0]["Event3"], "114|1|查号台");             // read before the bad entry
    EXPECT_EQ(objects[1]["Event3"], "075526261234|2|广东深圳");  // read before it too
    EXPECT_EQ(objects[2]["TelType"], 2);                         // the mobile list came after
}

TEST(NumbersCommand, BadUsageIsRefused) {
    const std::vector<std::vector<std::string>> usages = {
        {"--caller", "114"},
        {"--rules", kRules, "114"},
        {"--rules", kRules, "--caller", "--dialled", "114"},
        {"--rules", kRules, "--local-length", "eight", "--caller", "114"},
        {"--rules", kRules, "--local-length", "-1", "--caller", "114"},
        {"--rules", kRules, "--caller", "--bogus"},
        {"--rules"},
        {"--rules", "/no/such/DialRule.xml", "--caller", "114"},
    };
    for (const auto& args : usages) {
        const RunResult r = Numbers(args);
        EXPECT_EQ(r.status, 2) << args.back();
        EXPECT_TRUE(r.out.empty());
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_EQ(RunProgram({QUORVEL_CLI}).status, 2);
    EXPECT_EQ(RunProgram({QUORVEL_CLI, "bogus"}).status, 2);
    EXPECT_EQ(RunProgram({QUORVEL_CLI, "--help"}).status, 0);
}

}  // namespace
