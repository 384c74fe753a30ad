#include "client/numberrules/RuleReader.h"

#include <fcntl.h>
#include <libxml/xmlreader.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

#include "platform/Text.h"

namespace {

enum TListKind { kIPPrefixs, kShortTelNos, kAreaCodes, kMobilCodeSegs, kINets, kListCount };

constexpr std::array<const char*, kListCount> kListNames = {"IPPrefixs", "ShortTelNos", "AreaCodes",
                                                            "MobilCodeSegs", "iNets"};

constexpr int kReaderOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

std::optional<TListKind> ListKindOf(const char* name) {
    for (int k = 0; k < kListCount; ++k) {
        if (std::strcmp(name, kListNames[k]) == 0) {
            return static_cast<TListKind>(k);
        }
    }
    return std::nullopt;
}

// A value quoted in an error text: short, and valid UTF-8 whatever it was.
std::string Quoted(std::string_view value) {
    constexpr std::size_t kMaxShown = 40;
    std::string shown = platform::SanitizeUtf8(value.substr(0, kMaxShown));
    return "\"" + shown + (value.size() > kMaxShown ? "...\"" : "\"");
}

struct TReaderCloser {
    void operator()(xmlTextReaderPtr reader) const { xmlFreeTextReader(reader); }
};
using TReaderPtr = std::unique_ptr<xmlTextReader, TReaderCloser>;

class TListReader {
  public:
    TListReader(xmlTextReaderPtr reader, const std::string& name, TRuleLists& lists)
        : reader_(reader), name_(name), lists_(lists) {
        xmlTextReaderSetStructuredErrorHandler(reader_, &TListReader::OnXmlError, this);
    }

    TRuleLoadResult LoadRules() {
        int ret;
        while ((ret = xmlTextReaderRead(reader_)) == 1) {
            if (xmlTextReaderNodeType(reader_) != XML_READER_TYPE_ELEMENT) {
                continue;
            }
            int depth = xmlTextReaderDepth(reader_);
            if (depth == 0) {
                sawRoot_ = true;
            } else if (depth == 1) {
                OpenList();
            } else if (depth == 2 && current_) {
                ReadEntry();
            }
        }
        if (ret != 0 || !sawRoot_) {
            lists_ = TRuleLists();
            std::string reason = xmlError_.empty() ? "no root element" : xmlError_;
            return {false, name_ + ": not a readable XML document: " + reason};
        }
        if (!failure_) {
            return {};
        }
        DropListsAfter(failure_->kind);
        return {false, failure_->text};
    }

  private:
    struct TFailure {
        TListKind kind;
        std::string text;
    };

    static void OnXmlError(void* arg, xmlErrorPtr error) {
        auto* self = static_cast<TListReader*>(arg);
        if (!self->xmlError_.empty() || error == nullptr || error->level < XML_ERR_ERROR) {
            return;
        }
        std::string message = error->message ? error->message : "unknown error";
        while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) {
            message.pop_back();
        }
        self->xmlError_ = "line " + std::to_string(error->line) + ": " + message;
    }

    void OpenList() {
        current_.reset();
        const char* name = reinterpret_cast<const char*>(xmlTextReaderConstName(reader_));
        std::optional<TListKind> kind = name ? ListKindOf(name) : std::nullopt;
        if (!kind || seen_[*kind]) {
            return;  // only the first list of each name counts
        }
        seen_[*kind] = true;
        current_ = kind;
        entryIndex_ = 0;
        listFailed_ = failure_ && failure_->kind < *kind;  // dropped at the end anyway
        if (*kind == kMobilCodeSegs && !listFailed_) {
            CollectAttributes();
            std::optional<int> length = ReadLength("TelLength", "element \"MobilCodeSegs\"");
            if (length) {
                lists_.MobilTelLength = *length;
            }
        }
        if (xmlTextReaderIsEmptyElement(reader_)) {
            current_.reset();
        }
    }

    void ReadEntry() {
        ++entryIndex_;
        bool ok = !listFailed_;
        if (ok) {
            CollectAttributes();
        }
        switch (*current_) {
            case kIPPrefixs: {
                TIPPrefix entry;
                ok = ok && Required("IPPrefix", entry.IPPrefix) &&
                     Required("ServiceName", entry.ServiceName);
                lists_.IPPrefixs.push_back(ok ? std::move(entry) : TIPPrefix());
                break;
            }
            case kShortTelNos: {
                TShortTelNo entry;
                ok = ok && Required("ShortTelNo", entry.ShortTelNo) &&
                     Required("ServiceName", entry.ServiceName);
                lists_.ShortTelNos.push_back(ok ? std::move(entry) : TShortTelNo());
                break;
            }
            case kAreaCodes: {
                TAreaCode entry;
                ok = ok && Required("AreaCode", entry.AreaCode) &&
                     RequiredLength("TelLength", entry.TelLength);
                if (ok) {
                    entry.AreaCode = platform::Trim(entry.AreaCode);
                    entry.Province = platform::Trim(Optional("Province"));
                    entry.City = platform::Trim(Optional("City"));
                }
                lists_.AreaCodes.push_back(ok ? std::move(entry) : TAreaCode());
                break;
            }
            case kMobilCodeSegs: {
                TMobilTelSeg entry;
                ok = ok && Required("CodeSeg", entry.CodeSeg) &&
                     Required("ServiceName", entry.ServiceName);
                lists_.MobilTelSegs.push_back(ok ? std::move(entry) : TMobilTelSeg());
                break;
            }
            case kINets: {
                TINet entry;
                ok = ok && Required("CodeSeg", entry.CodeSeg) &&
                     RequiredLength("TelLength", entry.TelLength);
                if (ok) {
                    entry.ServiceName = Optional("ServiceName");
                }
                lists_.INets.push_back(ok ? std::move(entry) : TINet());
                break;
            }
            case kListCount:
                break;
        }
    }

    std::string EntryPlace() const {
        return "\"" + std::string(kListNames[*current_]) + "\" entry " +
               std::to_string(entryIndex_);
    }

    // Copies the current element's attributes; cheaper than asking for each by name.
    void CollectAttributes() {
        attributeCount_ = 0;
        while (xmlTextReaderMoveToNextAttribute(reader_) == 1) {
            const xmlChar* name = xmlTextReaderConstName(reader_);
            const xmlChar* value = xmlTextReaderConstValue(reader_);
            if (attributeCount_ == attributes_.size()) {
                attributes_.emplace_back();
            }
            auto& [n, v] = attributes_[attributeCount_++];
            n.assign(name ? reinterpret_cast<const char*>(name) : "");
            v.assign(value ? reinterpret_cast<const char*>(value) : "");
        }
        xmlTextReaderMoveToElement(reader_);
    }

    std::optional<std::string> Attribute(const char* attribute) {
        for (std::size_t i = 0; i < attributeCount_; ++i) {
            if (attributes_[i].first == attribute) {
                return attributes_[i].second;
            }
        }
        return std::nullopt;
    }

    std::string Optional(const char* attribute) { return Attribute(attribute).value_or(""); }

    bool Required(const char* attribute, std::string& out) {
        std::optional<std::string> value = Attribute(attribute);
        if (!value) {
            Fail(EntryPlace() + ": attribute \"" + attribute + "\" missing");
            return false;
        }
        out = std::move(*value);
        return true;
    }

    bool RequiredLength(const char* attribute, int& out) {
        std::optional<int> length = ReadLength(attribute, EntryPlace());
        if (length) {
            out = *length;
        }
        return length.has_value();
    }

    // An integer "TelLength" in 0..kMaxRuleTelLength; anything else fails the list.
    std::optional<int> ReadLength(const char* attribute, const std::string& place) {
        std::optional<std::string> value = Attribute(attribute);
        if (!value) {
            Fail(place + ": attribute \"" + attribute + "\" missing");
            return std::nullopt;
        }
        std::optional<long long> number = platform::ParseInt64(*value);
        if (!number) {
            Fail(place + ": attribute \"" + attribute + "\" is not an integer: " + Quoted(*value));
            return std::nullopt;
        }
        if (*number < 0 || *number > kMaxRuleTelLength) {
            Fail(place + ": attribute \"" + attribute + "\" out of range 0.." +
                 std::to_string(kMaxRuleTelLength) + ": " + Quoted(*value));
            return std::nullopt;
        }
        return static_cast<int>(*number);
    }

    void Fail(const std::string& reason) {
        listFailed_ = true;
        // Lists are read in a fixed order; the earliest list in it that fails is the failure.
        if (!failure_ || *current_ < failure_->kind) {
            xmlNodePtr node = xmlTextReaderCurrentNode(reader_);
            long line = node ? xmlGetLineNo(node) : xmlTextReaderGetParserLineNumber(reader_);
            failure_ =
                TFailure{*current_, name_ + ": line " + std::to_string(line) + ": " + reason};
        }
    }

    void DropListsAfter(TListKind kind) {
        if (kind < kShortTelNos)
            lists_.ShortTelNos.clear();
        if (kind < kAreaCodes)
            lists_.AreaCodes.clear();
        if (kind < kMobilCodeSegs) {
            lists_.MobilTelSegs.clear();
            lists_.MobilTelLength = 0;
        }
        if (kind < kINets)
            lists_.INets.clear();
    }

    xmlTextReaderPtr reader_;
    const std::string& name_;
    TRuleLists& lists_;
    std::array<bool, kListCount> seen_{};
    std::optional<TListKind> current_;
    int entryIndex_ = 0;
    bool listFailed_ = false;
    bool sawRoot_ = false;
    std::optional<TFailure> failure_;
    std::string xmlError_;
    std::vector<std::pair<std::string, std::string>> attributes_;
    std::size_t attributeCount_ = 0;
};

TRuleLoadResult ReadWith(TReaderPtr reader, const std::string& name, TRuleLists& lists) {
    lists = TRuleLists();
    if (!reader) {
        return {false, name + ": the XML reader could not be created"};
    }
    return TListReader(reader.get(), name, lists).LoadRules();
}

}  // namespace

TRuleLoadResult ReadRuleFile(const std::string& path, TRuleLists& lists) {
    lists = TRuleLists();
    struct TFile {
        int fd;
        ~TFile() {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    } file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) {
        return {false, path + ": cannot open: " + std::strerror(errno)};
    }
    struct stat info {};
    if (::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return {false, path + ": not a regular file"};
    }
    return ReadWith(TReaderPtr(xmlReaderForFd(file.fd, path.c_str(), nullptr, kReaderOptions)),
                    path, lists);
}

TRuleLoadResult ReadRuleDocument(std::string_view document, const std::string& name,
                                 TRuleLists& lists) {
    if (document.size() > static_cast<std::size_t>(INT32_MAX)) {
        lists = TRuleLists();
        return {false, name + ": document too large"};
    }
    return ReadWith(
        TReaderPtr(xmlReaderForMemory(document.data(), static_cast<int>(document.size()),
                                      name.c_str(), nullptr, kReaderOptions)),
        name, lists);
}
