#include "client/numberrules/tests/RuleTestSupport.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "client/shell/Configuration.h"

std::string FixturePath(const std::string& name) {
    return std::string(NUMBERRULES_FIXTURE_DIR) + "/" + name;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TTelAttr FreshDialAttr(const TLocalInfo& local, int localTelLength) {
    TTelAttr attr;
    attr.Province = local.Province;
    attr.City = local.City;
    attr.TelLength = localTelLength;
    return attr;
}

TDialOutcome DialDigitByDigit(const TTelRule& rule, const std::string& number, TTelAttr attr) {
    TDialOutcome outcome;
    for (std::size_t n = 1; n <= number.size(); ++n) {
        rule.ClassifyDialledNumber(number.substr(0, n), attr);
        if (attr.Stage == 4) {
            outcome.CompleteAt = static_cast<int>(n);
            break;
        }
    }
    outcome.Attr = attr;
    return outcome;
}

namespace {
std::string MakeTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "numberrules-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    return pattern;
}
}  // namespace

TTempFolder::TTempFolder() : path_(MakeTempFolder()) {}
TTempFolder::~TTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

TLogCapture::TLogCapture() : folder_(MakeTempFolder()) {
    SetDataFolder(folder_ + "/");
    log_ = std::make_unique<TTxtLog>();
    log_->LogDir = "Log";
    log_->LogName = "RodiZerad";
    SetProcessLog(log_.get());
}

TLogCapture::~TLogCapture() {
    SetProcessLog(nullptr);
    SetDataFolder("");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::string TLogCapture::Text() const {
    return ReadWholeFile(log_->currentFileName());
}
