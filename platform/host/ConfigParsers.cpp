// Machine information and module configuration of the camera's disk.
#include <stdio.h>
#include <tinyxml.h>

#include <string>

#include "platform/FsRoot.h"
#include "platform/MachineInfo.h"
#include "platform/ModuleConfigure.h"
#include "platform/TXFile.h"
#include "platform/XmlNesting.h"

namespace {

// The longest line of the machine information that is kept; a longer one is
// passed over, so that a huge file is read in bounded memory.
const std::string::size_type kMachineLineMax = 4096;

std::string trimmed(const std::string& text) {
    const char* blanks = " \t\r\n";
    std::string::size_type first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

void applyMachineLine(const std::string& line, MachineInfo& info) {
    std::string::size_type eq = line.find('=');
    if (eq == std::string::npos) {
        return;
    }
    std::string name = trimmed(line.substr(0, eq));
    std::string value = trimmed(line.substr(eq + 1));
    if (name == "DeviceType") {
        info.setDeviceType(atoi(value.c_str()));
    } else if (name == "HardwareModel") {
        info.setHardwareModel(value);
    } else if (name == "HardwareCode") {
        info.setHardwareCode(value);
    }
}

// The next line of the stream without its line end into line; false, and the
// line passed over, when it runs longer than kMachineLineMax bytes.
bool readMachineLine(FILE* stream, std::string& line) {
    line.clear();
    bool kept = true;
    int c;
    while ((c = getc(stream)) != EOF && c != '\n') {
        if (line.size() < kMachineLineMax) {
            line += static_cast<char>(c);
        } else {
            kept = false;
        }
    }
    return kept;
}

// The file's text as TinyXML loads a file: up to its first NUL byte, each
// "\r\n" and each lone '\r' read as '\n'. False when it cannot be read.
bool readXmlText(const std::string& path, std::string& text) {
    FILE* stream = fopen(platform::resolvePath(path).c_str(), "rb");
    if (!stream) {
        return false;
    }
    char buffer[4096];
    size_t n;
    bool cr = false;
    bool end = false;
    while (!end && (n = fread(buffer, 1, sizeof(buffer), stream)) > 0) {
        for (size_t i = 0; i < n && !end; ++i) {
            char c = buffer[i];
            end = c == '\0';
            if (!end && !(cr && c == '\n')) {
                text += c == '\r' ? '\n' : c;
            }
            cr = c == '\r';
        }
    }
    bool read = !ferror(stream);
    fclose(stream);
    return read;
}

// An attribute that is absent or empty accepts every machine.
bool acceptsMachine(const TiXmlElement* module, const char* attribute, const std::string& own) {
    const char* wanted = module->Attribute(attribute);
    return !wanted || !*wanted || own == wanted;
}

std::string attributeText(const TiXmlElement* element, const char* name) {
    const char* value = element->Attribute(name);
    return value ? value : "";
}

}  // namespace

bool SystemInfoParser::parseMachineInfo(const std::string& path, MachineInfo& info) {
    TXFile file;
    if (!file.open(path.c_str())) {
        return false;
    }
    FILE* stream = file.getFileHandle();
    std::string line;
    while (!feof(stream) && !ferror(stream)) {
        if (!readMachineLine(stream, line)) {
            continue;
        }
        line = trimmed(line);
        if (line.empty() || line[0] == '#' || line[0] == '[') {
            continue;
        }
        applyMachineLine(line, info);
    }
    return true;
}

bool ModuleConfigureParser::parse(const std::string& path, const std::string& hardwareModel,
                                  const std::string& hardwareCode,
                                  std::vector<ModuleConfigure>& list) {
    // Refused before the parser sees it, like the module's own documents: the
    // parser recurses once per level of nesting and would run past the end of
    // a text whose last character is cut.
    std::string text;
    if (!readXmlText(path, text) || !platform::xmlMultiByteCharactersComplete(text.c_str()) ||
        platform::xmlElementNesting(text.c_str()) > XML_NESTING_MAX) {
        return false;
    }
    TiXmlDocument doc;
    doc.Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
    if (doc.Error()) {
        return false;
    }
    const TiXmlElement* root = doc.RootElement();
    if (!root) {
        return false;
    }
    for (const TiXmlElement* module = root->FirstChildElement("Module"); module;
         module = module->NextSiblingElement("Module")) {
        if (!acceptsMachine(module, "hardware_model", hardwareModel) ||
            !acceptsMachine(module, "hardware_code", hardwareCode)) {
            continue;
        }
        ModuleConfigure entry;
        entry.setModuleId(atoi(attributeText(module, "id").c_str()));
        entry.setParameters(attributeText(module, "parameters"));
        entry.setDetail(attributeText(module, "detail"));
        list.push_back(entry);
    }
    return true;
}
