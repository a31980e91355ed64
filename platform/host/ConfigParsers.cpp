// Machine information and module configuration of the camera's disk.
#include <tinyxml.h>

#include "platform/FsRoot.h"
#include "platform/MachineInfo.h"
#include "platform/ModuleConfigure.h"
#include "platform/TXFile.h"

namespace {

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
    while (!feof(stream) && !ferror(stream)) {
        std::string line = trimmed(TXFile::ReadOneLine(stream));
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
    TiXmlDocument doc;
    if (!doc.LoadFile(platform::resolvePath(path).c_str(), TIXML_ENCODING_UTF8)) {
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
