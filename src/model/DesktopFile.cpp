#include "model/DesktopFile.h"

#include "model/FileUtils.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>

namespace qm {

TDesktopFile TDesktopFile::Parse(const std::string& text) {
    TDesktopFile file;
    std::string group;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        // CR LF line ends, and stray carriage returns before the line feed, are no part of the
        // line (so the text written back reads the same).
        while (!line.empty() && line.back() == '\r')
            line.pop_back();
        TLine parsed;
        if (!line.empty() && line.front() == '[' && line.back() == ']') {
            group = line.substr(1, line.size() - 2);
        } else if (!line.empty() && line.front() != '#') {
            const std::size_t eq = line.find('=');
            if (eq != std::string::npos) {
                std::string key = line.substr(0, eq);
                while (!key.empty() && key.back() == ' ')
                    key.pop_back();
                parsed.Key = key;
            }
        }
        parsed.Group = group;
        parsed.Raw = line;
        file.FLines.push_back(std::move(parsed));
    }
    return file;
}

std::string TDesktopFile::Text() const {
    std::string text;
    for (const TLine& line : FLines)
        text += line.Raw + "\n";
    return text;
}

std::string UnescapeDesktopValue(const std::string& raw) {
    std::string value;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 >= raw.size()) {
            value += raw[i];
            continue;
        }
        const char c = raw[++i];
        value += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
    }
    return value;
}

std::string TDesktopFile::Value(const std::string& key, const std::string& group) const {
    for (const TLine& line : FLines)
        if (line.Group == group && line.Key == key) {
            std::string raw = line.Raw.substr(line.Raw.find('=') + 1);
            raw.erase(0, raw.find_first_not_of(' '));
            return UnescapeDesktopValue(raw);
        }
    return std::string();
}

bool TDesktopFile::Has(const std::string& key, const std::string& group) const {
    return std::any_of(FLines.begin(), FLines.end(),
                       [&](const TLine& l) { return l.Group == group && l.Key == key; });
}

void TDesktopFile::SetRaw(const std::string& key, const std::string& rawValue,
                          const std::string& group) {
    for (TLine& line : FLines)
        if (line.Group == group && line.Key == key) {
            line.Raw = key + "=" + rawValue;
            return;
        }
    // After the group's last key, or a new group at the end.
    std::size_t insertAt = FLines.size();
    bool found = false;
    for (std::size_t i = 0; i < FLines.size(); ++i)
        if (FLines[i].Group == group) {
            found = true;
            if (!FLines[i].Key.empty() || FLines[i].Raw == "[" + group + "]")
                insertAt = i + 1;
        }
    if (!found) {
        FLines.push_back({group, std::string(), "[" + group + "]"});
        insertAt = FLines.size();
    }
    FLines.insert(FLines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                  {group, key, key + "=" + rawValue});
}

void TDesktopFile::Remove(const std::string& key, const std::string& group) {
    FLines.erase(std::remove_if(FLines.begin(), FLines.end(),
                                [&](const TLine& l) { return l.Group == group && l.Key == key; }),
                 FLines.end());
}

void TDesktopFile::RemoveTranslations(const std::string& key, const std::string& group) {
    const std::string prefix = key + "[";
    FLines.erase(std::remove_if(FLines.begin(), FLines.end(),
                                [&](const TLine& l) {
                                    return l.Group == group &&
                                           l.Key.compare(0, prefix.size(), prefix) == 0;
                                }),
                 FLines.end());
}

std::vector<std::string> TDesktopFile::Groups() const {
    std::vector<std::string> groups;
    for (const TLine& line : FLines)
        if (!line.Group.empty() &&
            std::find(groups.begin(), groups.end(), line.Group) == groups.end())
            groups.push_back(line.Group);
    return groups;
}

std::vector<std::string> SplitExec(const std::string& exec) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted) {
            if (c == '\\' && i + 1 < exec.size()) {
                word += exec[++i];
            } else if (c == '"') {
                quoted = false;
            } else {
                word += c;
            }
        } else if (c == '"') {
            quoted = true;
            inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

namespace {

// A word in double quotes where the format requires them (reserved characters, empty, or a
// leading '='), with '"', '`', '$' and '\\' escaped inside.
std::string QuoteWhereNeeded(const std::string& text) {
    static const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    if (!text.empty() && text.find_first_of(reserved) == std::string::npos && text.front() != '=')
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

} // namespace

std::string QuoteExecArgument(const std::string& argument) {
    std::string text;
    for (const char c : argument)
        text += c == '%' ? std::string("%%") : std::string(1, c);
    return QuoteWhereNeeded(text);
}

std::string QuoteExecWord(const std::string& word) {
    // Field codes (and "%%") stay as they are.
    if (word.size() == 2 && word[0] == '%')
        return word;
    return QuoteWhereNeeded(word);
}

bool IsHandlerType(const std::string& mimeType) {
    std::string type = mimeType;
    for (char& c : type)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    if (type.compare(0, 17, "x-scheme-handler/") == 0)
        return true;
    for (const char* handler :
         {"text/html", "application/xhtml+xml", "application/xhtml_xml", "message/rfc822",
          "application/x-extension-htm", "application/x-extension-html",
          "application/x-extension-shtml", "application/x-extension-xhtml",
          "application/x-extension-xht", "text/x-vcard", "text/calendar"})
        if (type == handler)
            return true;
    return false;
}

std::vector<std::string> HandlerTypesOf(const TDesktopFile& entry) {
    std::vector<std::string> types;
    const std::string value = entry.Value("MimeType");
    std::size_t start = 0;
    while (start < value.size()) {
        std::size_t end = value.find(';', start);
        if (end == std::string::npos)
            end = value.size();
        const std::string type = value.substr(start, end - start);
        start = end + 1;
        if (!type.empty() && IsHandlerType(type) &&
            std::find(types.begin(), types.end(), type) == types.end())
            types.push_back(type);
    }
    return types;
}

bool EntryStartsProgram(const TDesktopFile& entry, const std::string& programFileName) {
    for (const char* key : {"Exec", "TryExec"}) {
        const std::vector<std::string> words = SplitExec(entry.Value(key));
        if (words.empty())
            continue;
        // "env VAR=x program" starts the program after the assignments.
        std::size_t at = 0;
        if (words[0] == "env" || words[0] == "/usr/bin/env")
            for (at = 1; at < words.size() && words[at].find('=') != std::string::npos; ++at) {
            }
        if (at >= words.size())
            continue;
        const std::string& program = words[at];
        if (program.substr(program.rfind('/') + 1) == programFileName)
            return true;
    }
    return false;
}

TMetaInfo ParseMetaInfo(const std::string& xml) {
    TMetaInfo info;
    if (xml.empty() || xml.size() > (16u << 20))
        return info;
    // No network, no external entities or DTDs loaded: the file comes from an archive.
    xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "metainfo.xml", nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (doc == nullptr)
        return info;
    const auto named = [](xmlNodePtr node, const char* name) {
        return node->type == XML_ELEMENT_NODE &&
               xmlStrcmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
    };
    const auto text = [](xmlNodePtr node) {
        xmlChar* content = xmlNodeGetContent(node);
        std::string value = content != nullptr ? reinterpret_cast<const char*>(content) : "";
        xmlFree(content);
        const std::size_t first = value.find_first_not_of(" \t\r\n");
        const std::size_t last = value.find_last_not_of(" \t\r\n");
        return first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
    };
    const auto attribute = [](xmlNodePtr node, const char* name) {
        xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
        std::string out = value != nullptr ? reinterpret_cast<const char*>(value) : "";
        xmlFree(value);
        return out;
    };
    // The component: the root, or the first of a collection.
    xmlNodePtr component = xmlDocGetRootElement(doc);
    if (component != nullptr && named(component, "components"))
        for (xmlNodePtr child = component->children; child != nullptr; child = child->next)
            if (named(child, "component")) {
                component = child;
                break;
            }
    if (component != nullptr && named(component, "component")) {
        std::string newestDate;
        for (xmlNodePtr child = component->children; child != nullptr; child = child->next) {
            // The component's own name without a language, not a developer's or a release's.
            if (info.Name.empty() && named(child, "name")) {
                xmlChar* lang = xmlGetNsProp(child, reinterpret_cast<const xmlChar*>("lang"),
                                             XML_XML_NAMESPACE);
                if (lang == nullptr)
                    info.Name = text(child);
                xmlFree(lang);
            }
            if (!named(child, "releases"))
                continue;
            // The newest release by its version (by its date where the versions tie), whatever
            // the order they are listed in.
            for (xmlNodePtr release = child->children; release != nullptr;
                 release = release->next) {
                if (!named(release, "release"))
                    continue;
                const std::string version = attribute(release, "version");
                std::string date = attribute(release, "date");
                if (date.empty())
                    date = attribute(release, "timestamp");
                if (version.empty())
                    continue;
                const int order = CompareVersionTexts(version, info.Version);
                if (info.Version.empty() || order > 0 ||
                    (order == 0 && version != info.Version && date > newestDate)) {
                    info.Version = version;
                    newestDate = date;
                }
            }
        }
    }
    xmlFreeDoc(doc);
    return info;
}

} // namespace qm
