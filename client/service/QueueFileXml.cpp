#include "client/service/QueueFileXml.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>
#include <libxml/xmlversion.h>

#include <memory>
#include <mutex>

#include "client/service/RecordJournal.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace {

using DocPtr = std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)>;

const char* Xc(const xmlChar* s) {
    return reinterpret_cast<const char*>(s);
}
const xmlChar* Xu(const std::string& s) {
    return reinterpret_cast<const xmlChar*>(s.c_str());
}

// Collects the parser's error messages for one parse on this thread.
class ParseErrors {
  public:
    ParseErrors() { xmlSetStructuredErrorFunc(this, &ParseErrors::Collect); }
    ~ParseErrors() { xmlSetStructuredErrorFunc(nullptr, nullptr); }
    std::string text() const { return text_.empty() ? std::string("XML解析失败") : text_; }

  private:
#if LIBXML_VERSION >= 21200
    static void Collect(void* self, const xmlError* error) {
#else
    static void Collect(void* self, xmlErrorPtr error) {
#endif
        auto* me = static_cast<ParseErrors*>(self);
        if (!error || !error->message || me->text_.size() > 400)
            return;
        std::string message = error->message;
        while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) {
            message.pop_back();
        }
        if (!me->text_.empty())
            me->text_ += "; ";
        me->text_ += "line " + std::to_string(error->line) + ": " + message;
    }
    std::string text_;
};

TFieldValues AttributesOf(xmlNode* element) {
    TFieldValues values;
    for (xmlAttr* attr = element->properties; attr; attr = attr->next) {
        xmlChar* value = xmlNodeListGetString(element->doc, attr->children, 1);
        values.emplace(Xc(attr->name), value ? Xc(value) : "");
        xmlFree(value);
    }
    return values;
}

std::vector<TFieldValues> ElementChildren(xmlNode* root) {
    std::vector<TFieldValues> fields;
    for (xmlNode* child = root ? root->children : nullptr; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE)
            fields.push_back(AttributesOf(child));
    }
    return fields;
}

constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOBLANKS;

}  // namespace

void EnsureXmlInitialised() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

TQueueFileLoad LoadQueueFile(const std::string& path, const std::string& rootName) {
    EnsureXmlInitialised();
    TQueueFileLoad load;
    if (!platform::FileExists(path))
        return load;
    {
        ParseErrors errors;
        DocPtr doc(xmlReadFile(path.c_str(), nullptr, kParseOptions), xmlFreeDoc);
        if (doc) {
            xmlNode* root = xmlDocGetRootElement(doc.get());
            load.rootName = root ? Xc(root->name) : "";
            if (!root || load.rootName != rootName) {
                load.status = TQueueFileLoad::Status::WrongRoot;
                return load;
            }
            load.status = TQueueFileLoad::Status::Loaded;
            load.fields = ElementChildren(root);
            return load;
        }
        load.status = TQueueFileLoad::Status::Unreadable;
        load.error = errors.text();
    }
    // Salvage what a recovering parse finds, so a damaged file loses only its damaged part.
    ParseErrors ignored;
    DocPtr doc(xmlReadFile(path.c_str(), nullptr, kParseOptions | XML_PARSE_RECOVER), xmlFreeDoc);
    xmlNode* root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
    if (root && Xc(root->name) == rootName)
        load.fields = ElementChildren(root);
    return load;
}

std::string XmlSafeText(std::string_view value) {
    std::string text = platform::SanitizeUtf8(value);
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 && b != '\t' && b != '\n' && b != '\r') {
            out += "\xEF\xBF\xBD";  // XML cannot hold this control character
        } else {
            out += c;
        }
    }
    return out;
}

namespace {
void AddAttributes(xmlNode* element, const TFieldAttributes& attributes) {
    for (const auto& [name, value] : attributes) {
        xmlSetProp(element, Xu(name), Xu(XmlSafeText(value)));
    }
}
}  // namespace

bool SaveQueueFile(const std::string& path, const std::string& rootName,
                   const std::vector<TFieldAttributes>& fields, std::string& error) {
    EnsureXmlInitialised();
    DocPtr doc(xmlNewDoc(BAD_CAST "1.0"), xmlFreeDoc);
    if (!doc) {
        error = "无法创建XML文档";
        return false;
    }
    xmlNode* root = xmlNewDocNode(doc.get(), nullptr, Xu(rootName), nullptr);
    if (!root) {
        error = "无法创建根节点";
        return false;
    }
    xmlDocSetRootElement(doc.get(), root);
    xmlSetProp(root, BAD_CAST "Ver", BAD_CAST "1");
    for (const auto& attributes : fields) {
        xmlNode* field = xmlNewChild(root, nullptr, BAD_CAST "Field", nullptr);
        if (!field) {
            error = "无法创建Field节点";
            return false;
        }
        AddAttributes(field, attributes);
    }
    xmlChar* buffer = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(doc.get(), &buffer, &size, "UTF-8", 1);
    if (!buffer) {
        error = "无法生成XML文本";
        return false;
    }
    std::string content(Xc(buffer), static_cast<std::size_t>(size));
    xmlFree(buffer);
    return WriteFileAtomically(path, content, error);
}

std::string FieldToXmlText(const TFieldAttributes& attributes) {
    EnsureXmlInitialised();
    DocPtr doc(xmlNewDoc(BAD_CAST "1.0"), xmlFreeDoc);
    xmlNode* field = xmlNewDocNode(doc.get(), nullptr, BAD_CAST "Field", nullptr);
    xmlDocSetRootElement(doc.get(), field);
    AddAttributes(field, attributes);
    std::unique_ptr<xmlBuffer, decltype(&xmlBufferFree)> buffer(xmlBufferCreate(), xmlBufferFree);
    xmlNodeDump(buffer.get(), doc.get(), field, 0, 0);
    return std::string(Xc(xmlBufferContent(buffer.get())),
                       static_cast<std::size_t>(xmlBufferLength(buffer.get())));
}

bool FieldFromXmlText(const std::string& text, TFieldValues& values, std::string& error) {
    EnsureXmlInitialised();
    ParseErrors errors;
    DocPtr doc(xmlReadMemory(text.data(), static_cast<int>(text.size()), "journal.xml", "UTF-8",
                             kParseOptions),
               xmlFreeDoc);
    xmlNode* root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
    if (!root) {
        error = errors.text();
        return false;
    }
    values = AttributesOf(root);
    return true;
}
