#include "project/ProjectFile.h"

#include "base/ParameterCodes.h"
#include "base/Text.h"
#include "platform/FileIo.h"

#include <pugixml.hpp>

#include <set>
#include <sstream>
#include <vector>

namespace zdr::project {

namespace {

const char* parseStatusText(pugi::xml_parse_status status)
{
    switch (status) {
    case pugi::status_out_of_memory: return "nicht genügend Speicher";
    case pugi::status_unrecognized_tag: return "unbekanntes Element";
    case pugi::status_bad_pi: return "fehlerhafte Verarbeitungsanweisung";
    case pugi::status_bad_comment: return "fehlerhafter Kommentar";
    case pugi::status_bad_cdata: return "fehlerhafter CDATA-Abschnitt";
    case pugi::status_bad_doctype: return "fehlerhafte Dokumenttyp-Angabe";
    case pugi::status_bad_pcdata: return "fehlerhafter Text";
    case pugi::status_bad_start_element: return "fehlerhaftes Start-Tag";
    case pugi::status_bad_attribute: return "fehlerhaftes Attribut";
    case pugi::status_bad_end_element: return "fehlerhaftes End-Tag";
    case pugi::status_end_element_mismatch: return "End-Tag passt nicht zum Start-Tag";
    case pugi::status_append_invalid_root: return "ungültiges Stammelement";
    case pugi::status_no_document_element: return "kein Stammelement";
    default: return "unbekannter Fehler";
    }
}

// Files written by older programs may declare a Latin-1 code page.
bool declaresLatin1(std::string_view xml)
{
    const std::string head = base::toLower(xml.substr(0, std::min<std::size_t>(xml.size(), 200)));
    if (head.rfind("<?xml", 0) != 0)
        return false;
    const std::size_t end = head.find("?>");
    const std::string declaration = head.substr(0, end);
    return declaration.find("iso-8859-1") != std::string::npos || declaration.find("windows-1252") != std::string::npos
        || declaration.find("latin1") != std::string::npos;
}

// The element children of a node, in document order.
std::vector<pugi::xml_node> elementChildren(const pugi::xml_node& node)
{
    std::vector<pugi::xml_node> children;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element)
            children.push_back(child);
    return children;
}

bool isSmallNumber(std::string_view text, int low, int high, int& value)
{
    if (text.empty() || text.size() > 6)
        return false;
    std::size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size())
        return false;
    for (std::size_t k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9')
            return false;
    value = static_cast<int>(base::numberValue(text));
    return value >= low && value <= high;
}

// What the XML parser lets through but is not well-formed: a NUL or a
// control character written as is, and a character reference to a NUL or to
// no character at all (a surrogate half, beyond U+10FFFF). References to
// the other control characters stay readable: the writer escapes them so.
bool charactersWellFormed(std::string_view xml, std::string& description)
{
    for (std::size_t i = 0; i < xml.size(); ++i) {
        const auto c = static_cast<unsigned char>(xml[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            description = "Die Datei enthält ein Steuerzeichen bei Zeichen " + std::to_string(i)
                + " und ist kein gültiges XML-Dokument.";
            return false;
        }
        if (c != '&' || i + 2 >= xml.size() || xml[i + 1] != '#')
            continue;
        const bool hex = xml[i + 2] == 'x';
        std::size_t k = i + (hex ? 3 : 2);
        unsigned long code = 0;
        bool digits = false;
        for (; k < xml.size() && k < i + 16; ++k) {
            const char d = xml[k];
            const int value = d >= '0' && d <= '9' ? d - '0'
                : hex && d >= 'a' && d <= 'f'      ? d - 'a' + 10
                : hex && d >= 'A' && d <= 'F'      ? d - 'A' + 10
                                                   : -1;
            if (value < 0)
                break;
            code = code * (hex ? 16 : 10) + static_cast<unsigned long>(value);
            digits = true;
        }
        if (!digits || k >= xml.size() || xml[k] != ';')
            continue; // the parser refuses a broken reference itself
        if (code == 0 || (code >= 0xD800 && code <= 0xDFFF) || code == 0xFFFE || code == 0xFFFF || code > 0x10FFFF) {
            description = "Die Datei enthält einen ungültigen Zeichenverweis ('" + std::string(xml.substr(i, k + 1 - i))
                + "' bei Zeichen " + std::to_string(i) + ") und ist kein gültiges XML-Dokument.";
            return false;
        }
    }
    return true;
}

class Reader {
public:
    explicit Reader(std::string& description) : description_(description) {}

    bool element(const pugi::xml_node& node, ProjectElement& out)
    {
        out.name = node.name();
        out.kind = controlKindOf(out.name);
        if (out.kind != ControlKind::NotStored && !childrenOnce(node, out.name))
            return false;
        switch (out.kind) {
        case ControlKind::Text: return value(node.text().get(), out.name, out.value);
        case ControlKind::Check: return number(node, out, 0, 2);
        case ControlKind::Combo: return number(node, out, -1, 99999);
        case ControlKind::List:
            for (const pugi::xml_node& child : elementChildren(node))
                if (!value(child.text().get(), out.name, out.listEntries.emplace_back()))
                    return false;
            return true;
        case ControlKind::ListView: return listView(node, out);
        case ControlKind::NotStored: return true;
        }
        return true;
    }

    // Each element name once among node's children (the last would win),
    // and no more of them than a project holds.
    bool childrenOnce(const pugi::xml_node& node, const std::string& where)
    {
        std::set<std::string> names;
        std::size_t count = 0;
        for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
            if (child.type() != pugi::node_element)
                continue;
            if (++count > kMaxProjectRows)
                return fail("'" + where + "' hat mehr als " + std::to_string(kMaxProjectRows) + " Einträge.");
            if (!names.insert(base::toLower(child.name())).second)
                return fail(std::string("Das Element '") + child.name() + "' ist "
                            + (where.empty() ? "" : "in '" + where + "' ") + "mehrfach vorhanden.");
        }
        return true;
    }

private:
    bool fail(std::string text)
    {
        description_ = std::move(text);
        return false;
    }

    bool value(std::string_view text, const std::string& name, std::string& out)
    {
        if (text.size() > kMaxProjectFieldBytes)
            return fail("Ein Wert von '" + name + "' ist länger als " + std::to_string(kMaxProjectFieldBytes / 1024)
                        + " KB.");
        out.assign(text);
        return true;
    }

    bool number(const pugi::xml_node& node, ProjectElement& out, int low, int high)
    {
        out.value = base::trim(node.text().get());
        int value = 0;
        if (!isSmallNumber(out.value, low, high, value))
            return fail("Der Wert '" + out.value + "' von '" + out.name + "' ist ungültig.");
        out.value = std::to_string(value);
        return true;
    }

    bool listView(const pugi::xml_node& node, ProjectElement& out)
    {
        std::set<std::string> keys;
        std::string lastSelected;
        for (const pugi::xml_node& child : elementChildren(node)) {
            DecodedRowLine decoded = decodeRowLine(child.text().get());
            for (const std::string* field : fieldsOf(decoded))
                if (field->size() > kMaxProjectFieldBytes)
                    return fail("Ein Feld einer Zeile von '" + out.name + "' ist länger als "
                                + std::to_string(kMaxProjectFieldBytes / 1024) + " KB.");
            if (decoded.row.key.empty())
                return fail("Eine Zeile von '" + out.name + "' hat keinen Schlüssel.");
            if (!keys.insert(decoded.row.key).second)
                return fail("Der Schlüssel '" + decoded.row.key + "' ist in '" + out.name + "' mehrfach vorhanden.");
            lastSelected = decoded.selectedKey;
            out.listView.rows.push_back(std::move(decoded.row));
        }
        if (!out.listView.rows.empty() && !lastSelected.empty()) {
            if (keys.count(lastSelected) == 0)
                return fail("Der ausgewählte Eintrag '" + lastSelected + "' ist in '" + out.name
                            + "' nicht vorhanden.");
            out.listView.selectedKey = lastSelected;
        }
        return true;
    }

    static std::vector<const std::string*> fieldsOf(const DecodedRowLine& line)
    {
        std::vector<const std::string*> fields{&line.row.key, &line.row.text, &line.selectedKey};
        for (const std::string& item : line.row.subItems)
            fields.push_back(&item);
        return fields;
    }

    std::string& description_;
};

} // namespace

bool parseProjectXml(std::string_view xml, std::string_view rootName, ProjectDocument& doc, std::string& description)
{
    // Saved as "Unicode" by editors of other systems: UTF-16 with its
    // byte-order mark. Read as UTF-8; a save writes UTF-8 again.
    std::string fromUtf16;
    const bool littleEndian = xml.substr(0, 2) == "\xFF\xFE";
    if (littleEndian || xml.substr(0, 2) == "\xFE\xFF") {
        if (!base::utf16ToUtf8(xml.substr(2), !littleEndian, fromUtf16)) {
            description = "Die Datei enthält ungültige Zeichen (kein gültiges UTF-16) und ist keine Projektdatei.";
            return false;
        }
        xml = fromUtf16;
    }
    const bool latin1 = declaresLatin1(xml);
    if (!latin1 && !base::isValidUtf8(xml)) {
        description = "Die Datei enthält ungültige Zeichen (kein gültiges UTF-8) und ist keine Projektdatei.";
        return false;
    }
    if (!charactersWellFormed(xml, description))
        return false;
    pugi::xml_document xmlDoc;
    const unsigned options = (pugi::parse_default | pugi::parse_ws_pcdata_single) & ~pugi::parse_eol;
    const pugi::xml_parse_result result =
        xmlDoc.load_buffer(xml.data(), xml.size(), options, latin1 ? pugi::encoding_latin1 : pugi::encoding_utf8);
    if (!result) {
        description = std::string("Die Datei ist kein gültiges XML-Dokument (") + parseStatusText(result.status)
            + " bei Zeichen " + std::to_string(result.offset) + ").";
        return false;
    }
    const pugi::xml_node root = xmlDoc.document_element();
    if (std::string_view(root.name()) != rootName) {
        description = "Das Stammelement '" + std::string(rootName) + "' fehlt (gefunden: '" + root.name() + "').";
        return false;
    }
    ProjectDocument parsed;
    Reader reader(description);
    if (!reader.childrenOnce(root, {}))
        return false;
    for (const pugi::xml_node& node : elementChildren(root)) {
        ProjectElement element;
        if (!reader.element(node, element))
            return false;
        if (element.kind != ControlKind::NotStored)
            parsed.elements.push_back(std::move(element));
    }
    doc = std::move(parsed);
    return true;
}

bool readProjectFile(const std::string& fileName, std::string_view rootName, ProjectDocument& doc,
                     std::string& description)
{
    std::string data;
    platform::ErrorCode error = platform::error::kSuccess;
    bool tooLarge = false;
    bool notAFile = false;
    if (!platform::readWholeFile(fileName, kMaxProjectFileSize, data, error, &tooLarge, &notAFile)) {
        description = tooLarge ? "Die Datei '" + fileName + "' ist zu groß für eine Projektdatei (mehr als 16 MB)."
            : notAFile         ? "'" + fileName + "' ist keine gewöhnliche Datei (eine Pipe, ein Gerät ...)."
                       : "Die Datei '" + fileName + "' kann nicht gelesen werden: " + platform::systemMessage(error);
        return false;
    }
    return parseProjectXml(data, rootName, doc, description);
}

std::string writeProjectXml(const ProjectDocument& doc, std::string_view rootName)
{
    pugi::xml_document xmlDoc;
    pugi::xml_node declaration = xmlDoc.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = xmlDoc.append_child(std::string(rootName).c_str());
    for (const ProjectElement& element : doc.elements) {
        pugi::xml_node node = root.append_child(element.name.c_str());
        switch (element.kind) {
        case ControlKind::Text:
        case ControlKind::Check:
        case ControlKind::Combo: node.text().set(element.value.c_str()); break;
        case ControlKind::List:
            for (std::size_t i = 0; i < element.listEntries.size(); ++i)
                node.append_child(("LST" + std::to_string(i)).c_str()).text().set(element.listEntries[i].c_str());
            break;
        case ControlKind::ListView: {
            int subItemCount = 0;
            for (const ListViewRow& row : element.listView.rows)
                subItemCount = std::max(subItemCount, static_cast<int>(row.subItems.size()));
            for (std::size_t i = 0; i < element.listView.rows.size(); ++i) {
                const std::string line =
                    encodeRowLine(element.listView.rows[i], element.listView.selectedKey, subItemCount);
                node.append_child(("LVW" + std::to_string(i + 1)).c_str()).text().set(line.c_str());
            }
            break;
        }
        case ControlKind::NotStored: break;
        }
    }
    std::ostringstream out;
    xmlDoc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
    return out.str();
}

namespace {

bool holdsPassword(std::string_view value)
{
    const base::ParsedCode<base::NetConnectCode> parsed = base::parseNetConnectCode(value);
    return parsed.ok() && !parsed.code.password.empty();
}

// A network-drive code with a password, in a task or in a field.
bool holdsPassword(const ProjectDocument& doc)
{
    for (const ProjectElement& element : doc.elements) {
        if (holdsPassword(element.value))
            return true;
        for (const ListViewRow& row : element.listView.rows)
            for (const std::string& value : row.subItems)
                if (holdsPassword(value))
                    return true;
    }
    return false;
}

} // namespace

bool writeProjectFile(const std::string& fileName, std::string_view rootName, const ProjectDocument& doc,
                      std::string& description)
{
    platform::ErrorCode error = platform::error::kSuccess;
    // A new file that holds a password is its owner's alone; an existing
    // one keeps the rights it was given.
    if (!platform::writeFileAtomically(fileName, writeProjectXml(doc, rootName), error,
                                       holdsPassword(doc) ? 0600 : 0666)) {
        description = platform::systemMessage(error);
        return false;
    }
    return true;
}

} // namespace zdr::project
