#include "DiskCheck.h"

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <map>

#include "CameraRoot.h"
#include "platform/CameraPaths.h"
#include "platform/FsRoot.h"
#include "platform/MachineInfo.h"
#include "platform/ModuleConfigure.h"
#include "sensor/ISensorController.h"
#include "sensor/SensorFile.h"

namespace {

// Only a regular file is read: a FIFO in its place would block the check.
bool readCameraFile(const std::string& cameraPath, std::string& bytes) {
    struct stat info;
    std::string path = platform::resolvePath(cameraPath);
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && readHostFile(path, bytes);
}

std::vector<KeyVal> recordsOf(const std::string& bytes) {
    std::vector<KeyVal> records(bytes.size() / sizeof(KeyVal));
    if (!records.empty()) {
        memcpy(records.data(), bytes.data(), records.size() * sizeof(KeyVal));
    }
    return records;
}

void checkDuplicates(const std::string& name, const std::vector<KeyVal>& records,
                     const std::vector<KeyVal>& set, std::vector<std::string>& problems) {
    std::map<u32, int> inFile;
    std::map<u32, int> inSet;
    for (const KeyVal& record : records) {
        ++inFile[record.key];
    }
    for (const KeyVal& record : set) {
        ++inSet[record.key];
    }
    for (const auto& key : inFile) {
        if (key.second > 1 && key.second > inSet[key.first]) {
            problems.push_back(name + ": key " + std::to_string(key.first) + " saved " +
                               std::to_string(key.second) + " times");
        }
    }
}

void checkSchemeFile(const std::string& cameraPath, const std::vector<KeyVal>& set,
                     std::vector<std::string>& problems) {
    std::string name = cameraPath.substr(cameraPath.rfind('/') + 1);
    std::string bytes;
    if (!readCameraFile(cameraPath, bytes)) {
        problems.push_back(name + ": missing");
        return;
    }
    if (bytes.size() % sizeof(KeyVal) != 0) {
        problems.push_back(name + ": " + std::to_string(bytes.size() % sizeof(KeyVal)) +
                           " bytes after the last whole record");
    }
    std::vector<KeyVal> records = recordsOf(bytes);
    std::vector<KeyVal> fitted = set;
    SavedFileFit fit = fitSavedRecords(records.data(), static_cast<u32>(records.size()),
                                       fitted.data(), static_cast<u32>(fitted.size()));
    if (!fit.bSameLayout) {
        problems.push_back(name + ": another layout than the set: " + std::to_string(fit.nTaken) +
                           " records taken, " + std::to_string(fit.nIgnored) + " ignored, " +
                           std::to_string(fit.nMissing) + " keys missing");
    } else if (records.size() != set.size()) {
        problems.push_back(name + ": " + std::to_string(records.size()) + " records, the set has " +
                           std::to_string(set.size()));
    }
    checkDuplicates(name, records, set, problems);
}

void checkVersionFile(std::vector<std::string>& problems) {
    std::string bytes;
    if (!readCameraFile(platform::kVersionFile, bytes)) {
        problems.push_back("snsversion.cfg: missing");
        return;
    }
    if (bytes.size() != sizeof(u32)) {
        problems.push_back("snsversion.cfg: " + std::to_string(bytes.size()) + " bytes, not 4");
    }
    u32 version = 0;
    memcpy(&version, bytes.data(), std::min(bytes.size(), sizeof(version)));
    if (bytes.size() >= sizeof(version) && version != SNS_PARAM_FILE_VERSION) {
        problems.push_back("snsversion.cfg: version " + std::to_string(version) +
                           ", this build keeps " + std::to_string(SNS_PARAM_FILE_VERSION));
    }
}

void checkMachine(std::vector<std::string>& problems) {
    MachineInfo machine;
    if (!SystemInfoParser::parseMachineInfo(platform::kMachineInfoFile, machine)) {
        problems.push_back("machineinfo.ini: missing or unreadable");
        return;
    }
    if (machine.getDeviceType() == 0) {
        problems.push_back("machineinfo.ini: no DeviceType");
    }
    if (machine.getHardwareModel().empty()) {
        problems.push_back("machineinfo.ini: no HardwareModel");
    }
    std::vector<ModuleConfigure> modules;
    if (!ModuleConfigureParser::parse(platform::kModuleConfigFile, machine.getHardwareModel(),
                                      machine.getHardwareCode(), modules)) {
        problems.push_back("moduleConfig.xml: missing or does not parse");
    } else if (modules.empty()) {
        problems.push_back("moduleConfig.xml: no module for this machine (" +
                           machine.getHardwareModel() + ", " + machine.getHardwareCode() + ")");
    }
}

}  // namespace

std::vector<std::string> checkCameraDisk(const DiskFacts& facts) {
    std::vector<std::string> problems;
    for (u32 s = 0; s < facts.nSchemeSum; ++s) {
        checkSchemeFile(platform::schemeFileName(facts.nCameraId, static_cast<int>(s)), facts.set,
                        problems);
    }
    checkVersionFile(problems);
    checkMachine(problems);
    return problems;
}
