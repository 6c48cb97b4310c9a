// The Office Open XML side of WorkbookFileInfo.h: the workbook part and its
// relationships, parsed as a stream with a byte bound and no document type.

#include "engine/libreoffice/files/WorkbookFileInfo.h"

#include <gsf/gsf-infile-zip.h>
#include <gsf/gsf-infile.h>

#include <libxml/xmlreader.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>

namespace rm::lo {

namespace {

using Attributes = std::map<std::string, std::string>;
// Called for each element: its local name and its attributes by local name.
using ElementVisitor = std::function<void(const std::string& name, const Attributes& attributes)>;

// A name without its namespace prefix (an undeclared prefix stays in libxml2's name).
std::string localName(const xmlChar* name)
{
    const std::string text = name ? reinterpret_cast<const char*>(name) : "";
    const size_t colon = text.find(':');
    return colon == std::string::npos ? text : text.substr(colon + 1);
}

// A part read from a zip entry, stopped at kLargestPartBytes.
struct BoundedPart {
    GsfInput* input;
    std::size_t read = 0;
    bool tooLarge = false;
};

int readBounded(void* context, char* buffer, int length)
{
    auto& part = *static_cast<BoundedPart*>(context);
    const gsf_off_t left = gsf_input_remaining(part.input);
    if (left <= 0)
        return 0;
    const std::size_t want = std::min<std::size_t>(std::size_t(length), std::size_t(left));
    if (part.read + want > kLargestPartBytes) {
        part.tooLarge = true;
        return -1;
    }
    if (!gsf_input_read(part.input, want, reinterpret_cast<guint8*>(buffer)))
        return -1;
    part.read += want;
    return int(want);
}

void ignoreXmlError(void*, xmlErrorPtr) {}

struct ReaderDeleter {
    void operator()(xmlTextReader* reader) const { xmlFreeTextReader(reader); }
};
using Reader = std::unique_ptr<xmlTextReader, ReaderDeleter>;

// No entity is loaded or substituted, nothing is fetched, nothing printed.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

// Walks the part's elements in document order. False when it is not well-formed
// XML; throws PartRefused for a document type declaration or, seen by `tooLarge`, past the bound.
bool walk(xmlTextReader* reader, const std::string& part, const bool* tooLarge, const ElementVisitor& visit)
{
    if (!reader)
        return false;
    xmlTextReaderSetStructuredErrorHandler(reader, ignoreXmlError, nullptr);
    int step = 0;
    while ((step = xmlTextReaderRead(reader)) == 1) {
        const int type = xmlTextReaderNodeType(reader);
        if (type == XML_READER_TYPE_DOCUMENT_TYPE)
            throw PartRefused{part, PartRefused::Reason::DocumentType};
        if (type != XML_READER_TYPE_ELEMENT)
            continue;
        Attributes attributes;
        const std::string name = localName(xmlTextReaderConstName(reader));
        while (xmlTextReaderMoveToNextAttribute(reader) == 1) {
            const xmlChar* value = xmlTextReaderConstValue(reader);
            attributes[localName(xmlTextReaderConstName(reader))] = value ? reinterpret_cast<const char*>(value) : "";
        }
        xmlTextReaderMoveToElement(reader);
        visit(name, attributes);
    }
    if (tooLarge && *tooLarge)
        throw PartRefused{part, PartRefused::Reason::TooLarge};
    return step == 0;
}

bool walkText(const std::string& xml, const std::string& part, const ElementVisitor& visit)
{
    if (xml.size() > kLargestPartBytes)
        throw PartRefused{part, PartRefused::Reason::TooLarge};
    if (xml.empty())
        return false;
    quietenLibraries();
    const Reader reader(xmlReaderForMemory(xml.data(), int(xml.size()), nullptr, nullptr, kParseOptions));
    return walk(reader.get(), part, nullptr, visit);
}

bool walkEntry(GsfInput* entry, const std::string& part, const ElementVisitor& visit)
{
    // A size the zip claims past the bound is refused before anything is inflated.
    if (gsf_input_size(entry) > gsf_off_t(kLargestPartBytes))
        throw PartRefused{part, PartRefused::Reason::TooLarge};
    BoundedPart bounded{entry};
    const Reader reader(xmlReaderForIO(readBounded, nullptr, &bounded, nullptr, nullptr, kParseOptions));
    return walk(reader.get(), part, &bounded.tooLarge, visit);
}

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Gathers what the two parts tell, element by element.
class WorkbookParts {
public:
    ElementVisitor workbookVisitor()
    {
        return [this](const std::string& name, const Attributes& attributes) {
            if (name == "sheet") {
                m_sheets.push_back({valueOf(attributes, "name"), valueOf(attributes, "id")});
            } else if (name == "workbookView" && !m_sawView) {
                m_sawView = true;
                try {
                    m_activeTab = std::stoi(valueOf(attributes, "activeTab", "0"));
                } catch (...) {
                    m_activeTab = 0;
                }
            }
        };
    }
    ElementVisitor relationshipsVisitor()
    {
        return [this](const std::string& name, const Attributes& attributes) {
            const auto id = attributes.find("Id");
            const auto type = attributes.find("Type");
            if (name == "Relationship" && id != attributes.end() && type != attributes.end())
                m_chartById[id->second] = endsWith(type->second, "/chartsheet");
        };
    }

    std::optional<WorkbookFileInfo> info() const
    {
        if (m_sheets.empty())
            return std::nullopt;
        WorkbookFileInfo info;
        info.activeIndex = m_activeTab;
        for (const auto& [name, id] : m_sheets) {
            const auto chart = m_chartById.find(id);
            info.sheets.push_back({name, chart != m_chartById.end() && chart->second});
        }
        return info;
    }

private:
    static std::string valueOf(const Attributes& attributes, const char* name, const char* otherwise = "")
    {
        const auto found = attributes.find(name);
        return found == attributes.end() ? otherwise : found->second;
    }

    std::vector<std::pair<std::string, std::string>> m_sheets;   // name, relationship id
    bool m_sawView = false;
    int m_activeTab = 0;
    std::map<std::string, bool> m_chartById;
};

const char* const kWorkbookPart = "xl/workbook.xml";
const char* const kRelationshipsPart = "xl/_rels/workbook.xml.rels";

} // namespace

std::optional<WorkbookFileInfo> parseOpenXmlWorkbook(const std::string& workbookXml, const std::string& relationshipsXml)
{
    WorkbookParts parts;
    if (!walkText(workbookXml, kWorkbookPart, parts.workbookVisitor()))
        return std::nullopt;
    walkText(relationshipsXml, kRelationshipsPart, parts.relationshipsVisitor());
    return parts.info();
}

std::optional<WorkbookFileInfo> readOpenXmlWorkbookInfo(GsfInput* file)
{
    quietenLibraries();
    GError* error = nullptr;
    const GObjectOwner<GsfInfile> zip(gsf_infile_zip_new(file, &error));
    if (error)
        g_error_free(error);
    if (!zip)
        return std::nullopt;
    const GObjectOwner<GsfInput> workbook(gsf_infile_child_by_vname(zip.get(), "xl", "workbook.xml", nullptr));
    if (!workbook)
        return std::nullopt;
    WorkbookParts parts;
    if (!walkEntry(workbook.get(), kWorkbookPart, parts.workbookVisitor()))
        return std::nullopt;
    if (const GObjectOwner<GsfInput> relationships(
            gsf_infile_child_by_vname(zip.get(), "xl", "_rels", "workbook.xml.rels", nullptr));
        relationships)
        walkEntry(relationships.get(), kRelationshipsPart, parts.relationshipsVisitor());
    return parts.info();
}

} // namespace rm::lo
