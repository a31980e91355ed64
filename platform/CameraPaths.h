// Where the camera keeps the files the module, its stand-ins and its tools
// read and write. Every path is a camera path: it lands under the file-system
// root (platform/FsRoot.h), which is empty on the camera.
#ifndef PLATFORM_CAMERAPATHS_H
#define PLATFORM_CAMERAPATHS_H

#include <stdio.h>

#include <string>

#include "platform/FsRoot.h"
#include "platform/sy_system.h"

namespace platform {

// The machine's identity (platform/MachineInfo.h).
constexpr char kMachineInfoFile[] = "/mnt/mtd/code/factory_setting/machineinfo.ini";
// The modules fitted to each machine (platform/ModuleConfigure.h).
constexpr char kModuleConfigFile[] = "/hd1/moduleConfig/moduleConfig.xml";

// The saved parameter sets: one file per scheme, and the version of their layout.
constexpr char kConfigDir[] = "/mnt/mtd/code/config_file/";
constexpr char kSchemeFileFormat[] = "/mnt/mtd/code/config_file/sensor%d.cfg";
constexpr char kThermalSchemeFileFormat[] = "/mnt/mtd/code/config_file/sensor-thermal%d.cfg";
constexpr char kVersionFile[] = "/mnt/mtd/code/config_file/snsversion.cfg";
// Every saved set of every camera, for the shell.
constexpr char kSavedSetsPattern[] = "/mnt/mtd/code/config*/sensor*";

// The style documents of the image-settings page and their diversity rules,
// by device family; the merged style is written out for the page.
constexpr char kBoxStyleFile[] = "/hd1/moduleConfig/sensorConfig/style/Style.xml";
constexpr char kBoxDiversityFile[] =
    "/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity.xml";
constexpr char kDomeStyleFile[] = "/hd1/moduleConfig/sensorConfig/style/Style_dome.xml";
constexpr char kDomeDiversityFile[] =
    "/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity_dome.xml";
constexpr char kThermalStyleFile[] = "/hd1/moduleConfig/sensorConfig/style/Style_Thermal.xml";
constexpr char kThermalDiversityFile[] =
    "/hd1/moduleConfig/sensorConfig/styleDiversity/StyleDiversity_Thermal.xml";
constexpr char kMergedStyleFile[] = "/tmp/merge_style.xml";

// The operator's debug switches, and the log of failed checks and warnings.
constexpr char kSignFile[] = "/mnt/mtd/sign/Debug.sign";
constexpr char kErrorLog[] = "/mnt/mtd/log/SensorError.log";

// The parameter file of a scheme: camera 2 (the thermal sensor of a double
// camera) keeps its own family of files.
inline std::string schemeFileName(int p_nCameraID, int p_nScheme) {
    char szFileName[256] = {0};
    snprintf(szFileName, sizeof(szFileName),
             p_nCameraID == 2 ? kThermalSchemeFileFormat : kSchemeFileFormat, p_nScheme);
    return szFileName;
}

// Removes every saved set through the shell, at most 30 s; the command's status.
inline int removeSavedSets() {
    return sy_system(("rm -rf " + shellPath(kSavedSetsPattern)).c_str(), 30);
}

}  // namespace platform

#endif
