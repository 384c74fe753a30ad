// Shared pieces of the number-rule tests: the fixture file, dialling a
// number digit by digit, and a log that the tests can read back.
#pragma once

#include <memory>
#include <string>

#include "client/numberrules/TTelRule.h"
#include "client/shell/TxtLog.h"

std::string FixturePath(const std::string& name);
std::string ReadWholeFile(const std::string& path);

// The agent's own area in the fixture: 0755, eight-digit local numbers.
inline constexpr const char* kLocalAreaCode = "0755";
inline constexpr int kLocalTelLength = 8;

// attr as the agent prepares it before the first digit.
TTelAttr FreshDialAttr(const TLocalInfo& local, int localTelLength);

struct TDialOutcome {
    TTelAttr Attr;
    int CompleteAt = 0;  // digits dialled when Stage reached 4; 0 if never
};
// Dials number one digit at a time, as the agent does.
TDialOutcome DialDigitByDigit(const TTelRule& rule, const std::string& number, TTelAttr attr);

// A temporary data folder with a process log in it; removed afterwards.
class TLogCapture {
  public:
    TLogCapture();
    ~TLogCapture();
    std::string Text() const;  // everything logged so far

  private:
    std::string folder_;
    std::unique_ptr<TTxtLog> log_;
};

// A temporary folder, removed with everything in it.
class TTempFolder {
  public:
    TTempFolder();
    ~TTempFolder();
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};
