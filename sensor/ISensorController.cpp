// Lifecycle, channel, video link: construction, init and uinit as named
// steps, and the tables the controller owns.
#include <string.h>
#include <unistd.h>

#include <algorithm>

#include "platform/CameraPaths.h"
#include "platform/FsRoot.h"
#include "platform/function.h"
#include "sensor/ControllerPrivate.h"

using namespace sensor_controller;

namespace {

// The machine information's device type of the double camera, whose second
// sensor is thermal.
const int kThermalDoubleSensor = 13;

// Defaults of scheme 1 on a licence-plate camera.
const KeyVal kLprNightDefaults[] = {{KEY_DN_MODE, 0},
                                    {KEY_MAX_SHUTTER, 18},
                                    {KEY_METER_AREA, 1},
                                    {KEY_IR_MODE, 2},
                                    {KEY_IR_MANUAL_STRG_NEAR, 40}};

}  // namespace

ISensorController::ISensorController()
    : m_nCameraID(1),
      m_pSensorThread(nullptr),
      m_nLastScheme(-1),
      m_nCurScheme(-1),
      m_nParamMode(1),
      m_ppUserKeyVal(nullptr),
      m_pstKeyValTmp(nullptr),
      m_pFctKeyVal(nullptr),
      m_nKeyValSum(0),
      m_pstKeyValLpr(nullptr),
      m_pbFirstOfKey(nullptr),
      m_pKeyCmdMap(nullptr),
      m_pKeyCmdIndex(nullptr),
      m_nKeyCmdIndexNum(0),
      m_nVersion(SNS_PARAM_FILE_VERSION),
      m_pVideoStreamModule(nullptr),
      m_nFlags(0),
      m_nKeyCmdNum(150),
      m_nLastSchedule(255),
      m_bLprDevice(false),
      m_bShowWDRFalg(true),
      m_bSchemeBySchedule(false),
      m_bSchemeByDayNight(false),
      m_bSwitchIncomplete(false),
      m_bVersionSaved(false) {
    memset(&m_stSysConf, 0, sizeof(m_stSysConf));
    m_pSensorThread = new GThread(
        function<int>(bind_funcobj(&ISensorController::sensorThread, this)), "SensorThread",
        function<int>(&GThread::emptyFun), function<int>(&GThread::emptyFun));
    SystemInfoParser::parseMachineInfo(platform::kMachineInfoFile, m_objMachineInfo);
}

// An initialised controller is released first, so nothing it holds leaks.
ISensorController::~ISensorController() {
    try {
        uinit();
        if (m_pSensorThread) {
            m_pSensorThread->stop();
            delete m_pSensorThread;
            m_pSensorThread = nullptr;
        }
    } catch (...) {
    }
}

// Every check of the steps reports under init, and init goes on after it.
bool ISensorController::init(const ModuleConfigure& p_objModuleConfigure) {
    SnsReportScope reportScope;
    const SnsOperation op = SNS_OPERATION;
    uinit();  // an initialised controller first releases what it holds
    setFlag(initing_flag);
    clearFlag(inited_flag);

    readSysConf(p_objModuleConfigure, op);
    allocateTables();
    readFactorySet(op);
    removeFilesOfOtherVersions(op);
    MachineInfo machineInfo;
    SystemInfoParser::parseMachineInfo(platform::kMachineInfoFile, machineInfo);
    detectLprDevice(machineInfo);
    createSchemeFiles();
    markFirstRecords();
    m_bVersionSaved =
        SNS_ASSERT(SNS_SUCCESS == setVersion(m_nVersion), "m_nVersion(%d)\n", m_nVersion);
    buildKeyCmdTable();
    startSchemes(op);
    offerByStreams(machineInfo);

    setFlag(inited_flag);
    clearFlag(initing_flag);
    SNS_DBG(0, "ISensorController::initSensor  success\n");
    return true;
}

void ISensorController::readSysConf(const ModuleConfigure& p_objModuleConfigure,
                                    const SnsOperation& op) {
    SNS_ASSERT_AS_FOR(op,
                      SNS_SUCCESS == initSysConf(m_nCameraID, p_objModuleConfigure, &m_stSysConf),
                      "SNS_SUCCESS == initSysConf(m_nCameraID,p_objModuleConfigure, &m_stSysConf)");
    if (!SNS_ASSERT_FOR(op, m_stSysConf.nSchemeSum <= SNS_SCHEME_MAX, "nSchemeSum(%u)\n",
                        m_stSysConf.nSchemeSum)) {
        m_stSysConf.nSchemeSum = SNS_SCHEME_MAX;
    }
}

// Once the configuration gives the number of schemes; released together by
// releaseTables. The layout of the rows is in ControllerPrivate.h.
void ISensorController::allocateTables() {
    u32 nRows = m_stSysConf.nSchemeSum + 1;
    KeyVal* pRows = new KeyVal[recordSlot(nRows, 0)]();
    m_ppUserKeyVal = new KeyVal*[nRows];
    for (u32 s = 0; s < nRows; ++s) {
        m_ppUserKeyVal[s] = pRows + recordSlot(s, 0);
    }
    m_pFctKeyVal = m_ppUserKeyVal[m_stSysConf.nSchemeSum];
    m_pbFirstOfKey = new bool[recordSlot(nRows, 0)]();
    m_pstKeyValLpr = new KeyVal[kRowRoom]();
    m_pstKeyValTmp = new KeyVal[kRowRoom + 1]();
    m_pKeyCmdMap = new keycmd[std::max<u32>(m_nKeyCmdNum, KEYCMD_ROWS)]();
    m_pKeyCmdIndex = new keycmd_index[KEYCMD_ROWS + 1];
}

void ISensorController::releaseTables() {
    if (m_ppUserKeyVal) {
        delete[] m_ppUserKeyVal[0];
        delete[] m_ppUserKeyVal;
    }
    delete[] m_pbFirstOfKey;
    delete[] m_pstKeyValLpr;
    delete[] m_pstKeyValTmp;
    delete[] m_pKeyCmdMap;
    delete[] m_pKeyCmdIndex;
    m_ppUserKeyVal = nullptr;
    m_pFctKeyVal = nullptr;
    m_pbFirstOfKey = nullptr;
    m_pstKeyValLpr = nullptr;
    m_pstKeyValTmp = nullptr;
    m_pKeyCmdMap = nullptr;
    m_pKeyCmdIndex = nullptr;
    m_nKeyCmdIndexNum = 0;
}

// The factory set comes from the tailored style into its own row. Every user
// row starts as the factory set, so a short or unreadable file leaves factory
// values behind.
void ISensorController::readFactorySet(const SnsOperation& op) {
    SNS_ASSERT_AS_FOR(op,
                      SNS_SUCCESS == getFctData(m_nCameraID, m_stSysConf.szUIStyle, m_pFctKeyVal,
                                                &m_nKeyValSum, m_bShowWDRFalg),
                      "SNS_SUCCESS == getFctData(m_nCameraID,m_stSysConf.szUIStyle, "
                      "m_pFctKeyVal, &m_nKeyValSum,m_bShowWDRFalg)",
                      "m_nKeyValSum(%d)\n", m_nKeyValSum);
    for (u32 s = 0; s < m_stSysConf.nSchemeSum; ++s) {
        memcpy(m_ppUserKeyVal[s], m_pFctKeyVal, sizeof(KeyVal) * m_nKeyValSum);
    }
    SNS_DBG_FOR(op, 0, "m_nKeyCmdNum(%d), m_nKeyValNum(%d)\n", m_nKeyCmdNum, m_nKeyValSum);
}

// Saved sets of another layout (or of no known layout) are removed; the
// scheme files are then created afresh from the factory set.
void ISensorController::removeFilesOfOtherVersions(const SnsOperation& op) {
    u32 nVersion = 0;
    if (getVersion(&nVersion) != SNS_SUCCESS || nVersion != m_nVersion) {
        SNS_WARN_FOR(op, 0,
                     "check the sensor version,   local(%u) --> libsensordll.so(%u), source the "
                     "cmd: rm -rf /mnt/mtd/code/config*/sensor*\n",
                     nVersion, m_nVersion);
        platform::removeSavedSets();
    }
}

// A licence-plate camera is a device of type 8 whose module says nothing of
// infrared.
void ISensorController::detectLprDevice(const MachineInfo& p_objMachineInfo) {
    DeviceType deviceType;
    deviceType.setDeviceTypeId(p_objMachineInfo.getDeviceType());
    if (deviceType.getDeviceTypeId() == DeviceType::LPR &&
        !strstr(m_stSysConf.moduleConfig.szDetail, "(isInfrared=0)") &&
        !strstr(m_stSysConf.moduleConfig.szDetail, "(isInfrared=1)")) {
        m_bLprDevice = true;
    }
}

// Creates each missing scheme file from the factory set and loads every one.
void ISensorController::createSchemeFiles() {
    u32 nSchemeSum = m_stSysConf.nSchemeSum;
    for (u32 s = 0; s < nSchemeSum; ++s) {
        std::string name = platform::schemeFileName(m_nCameraID, static_cast<int>(s));
        char* szFileName = &name[0];
        if (access(platform::resolvePath(name).c_str(), F_OK) != 0) {
            keyValToFile(szFileName, newSchemeSet(s), m_nKeyValSum);
        }
        keyValFromFile(szFileName, m_ppUserKeyVal[s], m_nKeyValSum);
        if (s == 0) {
            u32 nMode = 0;
            if (getKeyValFromCache(0, KEY_SCHEME_MODE, nMode) != -1) {
                applySchemeMode(static_cast<int>(nMode));
            }
        }
    }
}

// The set a new scheme file starts with: the factory set, with the night
// defaults in scheme 1 of a licence-plate camera, and the fixed scheme mode
// recorded in the factory set of any other camera.
KeyVal* ISensorController::newSchemeSet(u32 p_nScheme) {
    if (m_bLprDevice && p_nScheme == 1) {
        memcpy(m_pstKeyValLpr, m_pFctKeyVal, sizeof(KeyVal) * m_nKeyValSum);
        for (const KeyVal& night : kLprNightDefaults) {
            int index = findInSet(m_pstKeyValLpr, m_nKeyValSum, night.key);
            if (index >= 0) {
                m_pstKeyValLpr[index].value = night.value;
            }
        }
        return m_pstKeyValLpr;
    }
    if (!m_bLprDevice && p_nScheme == 0) {
        setKeyValToCache(m_stSysConf.nSchemeSum, KEY_SCHEME_MODE, 0, true);
    }
    return m_pFctKeyVal;
}

void ISensorController::buildKeyCmdTable() {
    buildKeyCmdMap(m_pKeyCmdMap);
    m_nKeyCmdNum = KEYCMD_ROWS;
    indexKeyCmdMap();
}

// A fixed scheme mode starts in scheme 0; the first tick runs at once, and the
// sensor thread then ticks on its own.
void ISensorController::startSchemes(const SnsOperation& op) {
    if (!m_bSchemeByDayNight && !m_bSchemeBySchedule) {
        switch_to(0, false);
    }
    sensorThread();
    SNS_ASSERT_FOR(op, m_pSensorThread->start());
}

// WDR is not offered beside a 50 or 60 fps stream, nor beaway beside a small
// H.264 stream on the AV200 boards.
void ISensorController::offerByStreams(const MachineInfo& p_objMachineInfo) {
    m_bShowWDRFalg = true;
    setshowBeawayFalg(true);
    std::vector<AVStreamParam> streams;
    if (m_pVideoStreamModule) {
        m_pVideoStreamModule->getStreamParams(streams);
    }
    const std::string& model = p_objMachineInfo.getHardwareModel();
    bool av200 = model == "Hi3516AV200" || model == "Hi3516AV200Thermal";
    for (const AVStreamParam& stream : streams) {
        if (stream.getFrameRate() == 50 || stream.getFrameRate() == 60) {
            m_bShowWDRFalg = false;
        }
        if (av200 && stream.getVideoEncoderType() == 1 && stream.getVideoHeight() <= 255) {
            setshowBeawayFalg(false);
        }
    }
}

void ISensorController::uinit() {
    if (!hasFlag(inited_flag)) {
        return;
    }
    setFlag(uniniting_flag);
    SNS_ASSERT(m_pSensorThread->stop());
    releaseTables();
    uinitSysConf(&m_stSysConf);
    m_nParamMode = 1;
    m_nLastScheme = -1;
    m_nCurScheme = -1;
    m_nKeyValSum = 0;
    m_bSwitchIncomplete = false;
    clearFlag(uniniting_flag | inited_flag);
}

void ISensorController::setChannelID(int p_nChannelID) {
    m_nCameraID = p_nChannelID;
    if (m_objMachineInfo.getDeviceType() == kThermalDoubleSensor) {
        m_nCameraID = 2;
    }
}

// Under the lock: resetParameters rebuilds the configuration meanwhile.
int ISensorController::getSensorType() {
    SNS_HOST_LOCK_GUARD();
    return m_stSysConf.moduleConfig.nModuleId;
}

bool ISensorController::getSensorStatus() {
    return hasFlag(inited_flag);
}

void ISensorController::setVideoStreamModule(const VideoStreamModule* p_pVideoStreamModule) {
    m_pVideoStreamModule = p_pVideoStreamModule;
}

int ISensorController::notifyToVideo(int p_nKey, int p_nVal) {
    if (!m_pVideoStreamModule) {
        return 0;
    }
    int channel = m_objMachineInfo.getDeviceType() == kThermalDoubleSensor ? 1 : m_nCameraID;
    return m_pVideoStreamModule->notifySensorChange(channel, p_nKey, p_nVal);
}

void ISensorController::printDebugMsg() {}
