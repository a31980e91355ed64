#include "sensor/sensor.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "platform/CameraPaths.h"
#include "platform/MachineInfo.h"
#include "sensor/SensorFile.h"
#include "support/SensorDebug.h"

bool g_bShoWBeawayFalg = true;

namespace {

const int kAcceptedTypes[] = {1, 4, 8, 9, 11, 13, 14, 15, 16, 17, 18, 19, 20, 104};
const int kBoxStyleTypes[] = {1, 8, 9, 11, 13, 14, 15, 16, 17, 18};
const int kThermalStyleTypes[] = {13, 14, 17, 19};

const StyleFiles kBoxFiles = {platform::kBoxStyleFile, platform::kBoxDiversityFile};
const StyleFiles kDomeFiles = {platform::kDomeStyleFile, platform::kDomeDiversityFile};
const StyleFiles kThermalFiles = {platform::kThermalStyleFile, platform::kThermalDiversityFile};

template <size_t N>
bool contains(const int (&set)[N], int value) {
    for (int member : set) {
        if (member == value) {
            return true;
        }
    }
    return false;
}

// Copies text into a fixed field, cut to the field and always terminated.
template <size_t N>
void copyField(char (&field)[N], const char* text) {
    strncpy(field, text, N - 1);
    field[N - 1] = '\0';
}

void copyModuleConfig(const ModuleConfigure& p_objModuleConfigure, ModuleConfig& config) {
    copyField(config.szSpare1, "xxx");
    copyField(config.szSpare2, "xxx");
    config.nModuleId = p_objModuleConfigure.getModuleId();
    copyField(config.szDetail, p_objModuleConfigure.getDetail().c_str());
    copyField(config.szParameters, p_objModuleConfigure.getParameters().c_str());
}

// The helpers of initSysConf report under it (op).
int readDeviceType(const SnsOperation& op) {
    MachineInfo machineInfo;
    if (!SystemInfoParser::parseMachineInfo(platform::kMachineInfoFile, machineInfo)) {
        SNS_ASSERT_AS_FOR(op, false,
                          "SystemInfoParser::parseMachineInfo(\"/mnt/mtd/code/factory_setting/"
                          "machineinfo.ini\", machineInfo)");
    }
    return machineInfo.getDeviceType();
}

// A whole document as a NUL-terminated heap text; empty when it cannot be read.
char* loadDocument(const std::string& fileName, const char* failedCheck, const SnsOperation& op) {
    INT64 length = getFileLen(fileName.c_str());
    // Beyond one read the document is refused before the size is formed: on
    // the camera size_t has 32 bits, and 4 GiB - 1 plus the terminator would be 0.
    if (length < 0 || length > INT_MAX) {
        length = 0;
    }
    char* text = static_cast<char*>(calloc(static_cast<size_t>(length) + 1, 1));
    if (!text) {
        SNS_ASSERT_AS_FOR(op, false, failedCheck);
        return nullptr;
    }
    if (!(loadFromFile(fileName.c_str(), text, length) > 0)) {
        SNS_ASSERT_AS_FOR(op, false, failedCheck);
        text[0] = '\0';
    }
    return text;
}

}  // namespace

bool isAcceptedDeviceType(int p_nDeviceType) {
    return contains(kAcceptedTypes, p_nDeviceType);
}

StyleFiles styleFilesFor(int p_nDeviceType, int p_nCameraID) {
    StyleFiles files = contains(kBoxStyleTypes, p_nDeviceType) ? kBoxFiles : kDomeFiles;
    if (p_nCameraID == 2 && contains(kThermalStyleTypes, p_nDeviceType)) {
        files = kThermalFiles;
    }
    return files;
}

int initSysConf(int p_nCameraID, const ModuleConfigure& p_objModuleConfigure,
                SysConfig* p_stSysConf) {
    if (!SNS_ASSERT(NULL != p_stSysConf)) {
        return SNS_SUCCESS;
    }
    memset(p_stSysConf, 0, sizeof(*p_stSysConf));
    copyModuleConfig(p_objModuleConfigure, p_stSysConf->moduleConfig);

    u32 nSchemeSum = DEFAULT_SCHEME_SUM;
    getDetailFieldTou32(p_stSysConf->moduleConfig.szDetail, "max_scheme", &nSchemeSum);
    p_stSysConf->nSchemeSum = nSchemeSum;

    p_stSysConf->nDeviceType = readDeviceType(SNS_OPERATION);
    SNS_ASSERT_AS(
        isAcceptedDeviceType(p_stSysConf->nDeviceType),
        "DeviceType::IPCAMERA == p_stSysConf->nDeviceType || DeviceType::FACE_DETECT == "
        "p_stSysConf->nDeviceType || DeviceType::VEHICLE_DETECT == p_stSysConf->nDeviceType || "
        "DeviceType::AIMULTI_OBJECT_DETECT == p_stSysConf->nDeviceType || DeviceType::IPDOME == "
        "p_stSysConf->nDeviceType || DeviceType::LPR == p_stSysConf->nDeviceType || "
        "DeviceType::IPP == p_stSysConf->nDeviceType || DeviceType::HUMAN_TEMPERATURE == "
        "p_stSysConf->nDeviceType || DeviceType::THERMAL_DEVICE == p_stSysConf->nDeviceType || "
        "DeviceType::THERMAL_DOUBLE_SENSOR_DEVICE == p_stSysConf->nDeviceType || "
        "DeviceType::FISHEYE == p_stSysConf->nDeviceType || DeviceType::DOMECORE == "
        "p_stSysConf->nDeviceType || DeviceType::THERMAL_DOUBLE_SENSOR_DOME_DEVICE == "
        "p_stSysConf->nDeviceType || DeviceType::DOMECORE_THERMAL_DEVICE == "
        "p_stSysConf->nDeviceType",
        "machineinfo, devicetype(%d) error, must be 1 or 4 or 8 or 9 or 13\n",
        p_stSysConf->nDeviceType);

    StyleFiles files = styleFilesFor(p_stSysConf->nDeviceType, p_nCameraID);
    std::string strStyleFileName = files.style;
    std::string strStyleDivFileName = files.diversity;
    p_stSysConf->szUIStyle =
        loadDocument(strStyleFileName,
                     "loadFromFile(strStyleFileName.c_str(), p_stSysConf->szUIStyle, "
                     "getFileLen(strStyleFileName.c_str())) > 0",
                     SNS_OPERATION);
    char* ui_styleDiversity =
        loadDocument(strStyleDivFileName,
                     "loadFromFile(strStyleDivFileName.c_str(), ui_styleDiversity, "
                     "getFileLen(strStyleDivFileName.c_str())) > 0",
                     SNS_OPERATION);

    SNS_ASSERT(SNS_SUCCESS ==
               mergeStyle(&p_stSysConf->moduleConfig, &p_stSysConf->szUIStyle, ui_styleDiversity));
    free(ui_styleDiversity);
    return SNS_SUCCESS;
}

void uinitSysConf(SysConfig* p_stSysConf) {
    if (!p_stSysConf) {
        return;
    }
    if (p_stSysConf->pstUILanguage) {
        for (u32 i = 0; i < p_stSysConf->nUILanguageNum; ++i) {
            UILanguage& language = p_stSysConf->pstUILanguage[i];
            free(language.szCommonFile);
            free(language.szLanguageFile);
            language.szCommonFile = nullptr;
            language.szLanguageFile = nullptr;
        }
    }
    // Cleared, so that a second release frees nothing twice.
    free(p_stSysConf->szUIStyle);
    p_stSysConf->szUIStyle = nullptr;
}

void setshowBeawayFalg(bool p_bShow) {
    __atomic_store_n(&g_bShoWBeawayFalg, p_bShow, __ATOMIC_RELAXED);
}

bool getshowBeawayFalg() {
    return __atomic_load_n(&g_bShoWBeawayFalg, __ATOMIC_RELAXED);
}
