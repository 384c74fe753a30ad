// The XML queue files: a root element with "Ver" "1" and one "Field" element
// per queued record, every value in an attribute. Also the one-element form
// of a record that the journal stores.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Attributes in the order they are written.
using TFieldAttributes = std::vector<std::pair<std::string, std::string>>;
// Attributes as read back: by name.
using TFieldValues = std::map<std::string, std::string>;

struct TQueueFileLoad {
    enum class Status {
        Missing,     // no file
        Unreadable,  // not well-formed or not readable; error holds the reason
        WrongRoot,   // well-formed, another root element
        Loaded,
    };
    Status status = Status::Missing;
    std::string error;
    std::string rootName;
    // Element children in document order. For an unreadable file, what a
    // recovering parse could still make out of it (possibly nothing).
    std::vector<TFieldValues> fields;
};

// Reads a queue file. Never throws.
TQueueFileLoad LoadQueueFile(const std::string& path, const std::string& rootName);

// Writes a queue file atomically; the previous file stays when this fails.
bool SaveQueueFile(const std::string& path, const std::string& rootName,
                   const std::vector<TFieldAttributes>& fields, std::string& error);

// One record as the single element `<Field .../>` (no line break inside), and back.
std::string FieldToXmlText(const TFieldAttributes& attributes);
bool FieldFromXmlText(const std::string& text, TFieldValues& values, std::string& error);

// The text as an attribute value can hold it: invalid UTF-8 and the control
// characters XML does not allow become U+FFFD.
std::string XmlSafeText(std::string_view value);

// Call once on the main thread before threads use libxml2 (idempotent).
void EnsureXmlInitialised();
