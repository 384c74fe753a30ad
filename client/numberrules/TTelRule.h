// The dial rules: the lists of DialRule.xml and the classification of
// telephone numbers against them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TPrefixIndex;
struct TRuleLists;

inline constexpr const char* kDialRuleFileName = "DialRule.xml";

// Largest "TelLength" a rule file may give: no telephone number is longer.
inline constexpr int kMaxRuleTelLength = 64;

struct TIPPrefix {
    std::string IPPrefix;
    std::string ServiceName;
};

struct TShortTelNo {
    std::string ShortTelNo;
    std::string ServiceName;
};

struct TAreaCode {
    std::string AreaCode;  // trimmed
    int TelLength = 0;     // length of a local number in this area
    std::string Province;  // trimmed
    std::string City;      // trimmed
};

struct TMobilTelSeg {
    std::string CodeSeg;
    std::string ServiceName;
};

struct TINet {
    std::string CodeSeg;
    int TelLength = 0;  // length of the whole network number
    std::string ServiceName;
};

// The agent's own area.
struct TLocalInfo {
    std::string AreaCode;  // trimmed
    std::string Province;
    std::string City;
};

// Classification state and result of one number.
struct TTelAttr {
    // 0 nothing decided, 1 looking for an area code, 2 area code settled,
    // 3 mobile or network number recognised, 4 complete.
    std::uint8_t Stage = 0;
    bool CanShort = true;
    bool CanMobile = true;
    bool CanINet = true;
    // 0 not decided, 1 short number, 2 fixed line, 3 mobile, 4 network number.
    std::uint8_t TelType = 0;
    int IPPrefixLen = 0;
    int AreaCodeLen = 0;  // 1 when a single trunk digit was skipped
    int NumberPos = 0;    // characters consumed by the IP prefix and the area code
    int NumberLen = 0;    // expected length after NumberPos (network number: whole length)
    std::string Province;
    std::string City;
    int TelLength = 0;
    std::string ServiceName;
};

// Outcome of loading a rule file. On failure Error names the file, the
// list and the entry where reading stopped; the lists read before it stay.
struct TRuleLoadResult {
    bool Ok = true;
    std::string Error;
    explicit operator bool() const { return Ok; }
};

class TTelRule {
  public:
    TTelRule();
    ~TTelRule();
    TTelRule(const TTelRule&) = delete;
    TTelRule& operator=(const TTelRule&) = delete;

    // Reads the five lists from a rule file in any encoding its XML
    // declaration names. Replaces whatever was loaded before. Never throws.
    TRuleLoadResult LoadFromFile(const std::string& path);
    // The same from a document held in memory; name appears in error texts.
    TRuleLoadResult LoadFromMemory(std::string_view document, const std::string& name = "memory");

    // Fills Province and City of the first area code equal to info.AreaCode;
    // leaves info unchanged when there is none.
    void FindLocalInfo(TLocalInfo& info) const;
    // Advances the classification of a number being dialled (all digits so far).
    void ClassifyDialledNumber(const std::string& number, TTelAttr& attr) const;
    // Classifies a complete caller number; may drop its leading "0".
    void ClassifyCallerNumber(std::string& number, TTelAttr& attr) const;

    // Lookups: the first entry in file order that the text begins with.
    // A non-match answers -1 when the text is long enough that no entry can
    // match any more, otherwise 0 (undecided).
    int MatchIPPrefix(std::string_view text) const;                    // prefix length
    int MatchShortTelNo(std::string_view text, TTelAttr& attr) const;  // short number length
    int MatchAreaCode(std::string_view text, TTelAttr& attr) const;    // area code length
    int MatchINet(std::string_view text, TTelAttr& attr) const;        // entry's TelLength
    int MatchMobilSeg(std::string_view text) const;  // 1-based position in MobilTelSegs

    // The lists, in file order. An entry with an empty code matches nothing.
    const std::vector<TIPPrefix>& IPPrefixs() const { return ipPrefixs_; }
    const std::vector<TShortTelNo>& ShortTelNos() const { return shortTelNos_; }
    const std::vector<TAreaCode>& AreaCodes() const { return areaCodes_; }
    const std::vector<TMobilTelSeg>& MobilTelSegs() const { return mobilTelSegs_; }
    const std::vector<TINet>& INets() const { return iNets_; }

    int MaxIPPrefixLen = 0;
    int MaxShortTelNoLen = 0;
    int MaxAreaCodeLen = 0;
    int MaxINetLen = 0;
    int MobilTelLength = 0;  // total length of a mobile number

    // A text shorter than this that begins no segment is still undecided.
    static constexpr int kMobilSegThreshold = 3;

  private:
    TRuleLoadResult Install(TRuleLoadResult result, TRuleLists& lists, const std::string& name);

    std::vector<TIPPrefix> ipPrefixs_;
    std::vector<TShortTelNo> shortTelNos_;
    std::vector<TAreaCode> areaCodes_;
    std::vector<TMobilTelSeg> mobilTelSegs_;
    std::vector<TINet> iNets_;

    std::unique_ptr<TPrefixIndex> ipPrefixIndex_;
    std::unique_ptr<TPrefixIndex> shortTelNoIndex_;
    std::unique_ptr<TPrefixIndex> areaCodeIndex_;
    std::unique_ptr<TPrefixIndex> mobilSegIndex_;
    std::unique_ptr<TPrefixIndex> iNetIndex_;
};

// The rule file beside the running program.
std::string DialRuleFilePath();
