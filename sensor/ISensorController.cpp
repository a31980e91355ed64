#include "sensor/ISensorController.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>

#include "platform/FsRoot.h"
#include "platform/StringHandler.h"
#include "platform/TXDeviceTime.h"
#include "platform/TalvexTime.h"
#include "platform/ia_ioctrl.h"
#include "platform/sy_system.h"
#include "sensor/SensorFile.h"
#include "sensor/SensorKeys.h"
#include "support/SensorDebug.h"
#include "support/TXMutexManager.h"
#include "support/function.h"

namespace {

const u32 kLensCommandFirst = IA_CMD_AUTO_FOCUS_MODE;
const u32 kLensCommandLast = IA_CMD_LENS_RESET;
const int kLightTypeIntelligent = 2;
const int kThermalDoubleSensor = 13;
const char* const kMachineInfoFile = "/mnt/mtd/code/factory_setting/machineinfo.ini";

// Light-type pairs: the partner key is in force while the light type is 2.
struct LightPair {
    u32 primary;
    u32 partner;
};
#define LIGHT_PAIR_(primary, partner) {primary, partner},
const LightPair kLightPairs[] = {SENSOR_LIGHT_PAIRS(LIGHT_PAIR_)};
#undef LIGHT_PAIR_

// No position to try first: the cache operations scan the row.
const u32 kNoHint = 0xFFFFFFFFu;

// Window records of every set, by position.
enum { POS_START_HOUR = 1, POS_START_MIN = 2, POS_END_HOUR = 3, POS_END_MIN = 4 };

// Defaults of scheme 1 on a licence-plate camera.
const KeyVal kLprNightDefaults[] = {{KEY_DN_MODE, 0},
                                    {KEY_MAX_SHUTTER, 18},
                                    {KEY_METER_AREA, 1},
                                    {KEY_IR_MODE, 2},
                                    {KEY_IR_MANUAL_STRG_NEAR, 40}};

}  // namespace

bool isLightTypePartnerKey(u32 p_nKey) {
    for (const LightPair& lamp : kLightPairs) {
        if (p_nKey == lamp.partner) {
            return true;
        }
    }
    return false;
}

namespace {

bool isRecordedOnly(u32 key) {
    return key == KEY_EMPTY1 || key == KEY_EMPTY2 ||
           (key >= KEY_SCHEME_START_HOUR && key <= KEY_SCHEME_END_MIN);
}

bool isDayNightKey(u32 key) {
    return key == KEY_DN_MODE || key == KEY_DTN_THR || key == KEY_NTD_THR ||
           (key >= KEY_DTN_H && key <= KEY_NTD_M);
}

// Keys read as -1, not from the processor, when the current set lacks them.
bool isLampKeyNotAsked(int key) {
    return key == KEY_IR_SWITCH || key == KEY_IR_MODE || key == KEY_IR_MANUAL_STRG_NEAR ||
           key == KEY_IR_MANUAL_STRG_MEDIUM || key == KEY_IR_MANUAL_STRG_FAR;
}

int findInSet(const KeyVal* set, u32 count, u32 key) {
    for (u32 i = 0; set && i < count; ++i) {
        if (set[i].key == key) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// Scheme mode of a KEY_SCHEME_MODE value: 1 schedule, 2 day/night, else fixed.
int schemeModeOf(int value) {
    return value == 1 || value == 2 ? value : 0;
}

u32 clockNumber(const KeyVal* set, int hourPos, int minutePos) {
    return 100u * static_cast<u32>(set[hourPos].value) + static_cast<u32>(set[minutePos].value);
}

int translateMirror(int mirror, int beaway) {
    if (beaway != 0 && (mirror == 1 || mirror == 2)) {
        return 3 - mirror;
    }
    return mirror;
}

// The sensor thread's hold of the controller's mutex for one tick: taken in
// its turn among host operations (see WorkerTurn), or not at all when a
// reset or uinit is stopping the thread.
class TickLockGuard {
  public:
    TickLockGuard(TXMutex& mutex, WorkerTurn& turn, const std::function<bool()>& stop)
        : m_objMutex(mutex), m_bHeld(turn.take(mutex, stop)) {}
    ~TickLockGuard() {
        if (m_bHeld) {
            m_objMutex.Unlock(snsBaseName(__FILE__), __LINE__);
        }
    }
    TickLockGuard(const TickLockGuard&) = delete;
    TickLockGuard& operator=(const TickLockGuard&) = delete;
    bool held() const { return m_bHeld; }

  private:
    TXMutex& m_objMutex;
    bool m_bHeld;
};

// A host operation's hold of the controller's mutex; a tick waiting for the
// mutex goes first.
#define SNS_HOST_LOCK_GUARD()       \
    m_objTickTurn.letWorkerFirst(); \
    TXMutexManager guard(m_objMutex, snsBaseName(__FILE__), __LINE__)

}  // namespace

// --- lifecycle, channel, video link -----------------------------------------

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
    SystemInfoParser::parseMachineInfo(kMachineInfoFile, m_objMachineInfo);
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

bool ISensorController::init(const ModuleConfigure& p_objModuleConfigure) {
    SnsReportScope reportScope;
    uinit();  // an initialised controller first releases what it holds
    setFlag(initing_flag);
    clearFlag(inited_flag);
    // clang-format off
    SNS_ASSERT(SNS_SUCCESS == initSysConf(m_nCameraID,p_objModuleConfigure, &m_stSysConf));
    // clang-format on
    if (!SNS_ASSERT(m_stSysConf.nSchemeSum <= SNS_SCHEME_MAX, "nSchemeSum(%u)\n",
                    m_stSysConf.nSchemeSum)) {
        m_stSysConf.nSchemeSum = SNS_SCHEME_MAX;
    }

    // The factory set comes from the tailored style, at most the array's room.
    m_pFctKeyVal = new KeyVal[FACTORY_KEYVAL_CAPACITY]();
    m_pstKeyValLpr = new KeyVal[FACTORY_KEYVAL_CAPACITY]();
    // clang-format off
    SNS_ASSERT(SNS_SUCCESS == getFctData(m_nCameraID,m_stSysConf.szUIStyle, m_pFctKeyVal, &m_nKeyValSum,m_bShowWDRFalg), "m_nKeyValSum(%d)\n", m_nKeyValSum);
    // clang-format on

    // One block of rows: the user sets of the schemes, then the factory set.
    // Every row starts as the factory set, so a short or unreadable file
    // leaves factory values behind.
    u32 nRows = m_stSysConf.nSchemeSum + 1;
    KeyVal* block = new KeyVal[static_cast<size_t>(nRows) * m_nKeyValSum + 1]();
    m_ppUserKeyVal = new KeyVal*[nRows];
    for (u32 s = 0; s < nRows; ++s) {
        m_ppUserKeyVal[s] = block + static_cast<size_t>(s) * m_nKeyValSum;
        memcpy(m_ppUserKeyVal[s], m_pFctKeyVal, sizeof(KeyVal) * m_nKeyValSum);
    }
    SNS_DBG(0, "m_nKeyCmdNum(%d), m_nKeyValNum(%d)\n", m_nKeyCmdNum, m_nKeyValSum);
    delete[] m_pFctKeyVal;
    m_pFctKeyVal = m_ppUserKeyVal[m_stSysConf.nSchemeSum];

    u32 nVersion = 0;
    if (getVersion(&nVersion) != SNS_SUCCESS || nVersion != m_nVersion) {
        SNS_WARN(0,
                 "check the sensor version,   local(%u) --> libsensordll.so(%u), source the "
                 "cmd: rm -rf /mnt/mtd/code/config*/sensor*\n",
                 nVersion, m_nVersion);
        sy_system(("rm -rf " + platform::shellPath("/mnt/mtd/code/config*/sensor*")).c_str(), 30);
    }

    MachineInfo machineInfo;
    SystemInfoParser::parseMachineInfo(kMachineInfoFile, machineInfo);
    DeviceType deviceType;
    deviceType.setDeviceTypeId(machineInfo.getDeviceType());
    if (deviceType.getDeviceTypeId() == DeviceType::LPR &&
        !strstr(m_stSysConf.moduleConfig.szDetail, "(isInfrared=0)") &&
        !strstr(m_stSysConf.moduleConfig.szDetail, "(isInfrared=1)")) {
        m_bLprDevice = true;
    }

    createSchemeFiles();
    markFirstRecords();
    m_bVersionSaved =
        SNS_ASSERT(SNS_SUCCESS == setVersion(m_nVersion), "m_nVersion(%d)\n", m_nVersion);

    m_pKeyCmdMap = new keycmd[std::max<u32>(m_nKeyCmdNum, KEYCMD_ROWS)]();
    buildKeyCmdMap(m_pKeyCmdMap);
    m_nKeyCmdNum = KEYCMD_ROWS;
    indexKeyCmdMap();
    m_pstKeyValTmp = new KeyVal[m_nKeyValSum + 1]();

    if (!m_bSchemeByDayNight && !m_bSchemeBySchedule) {
        switch_to(0, false);
    }
    sensorThread();
    SNS_ASSERT(m_pSensorThread->start());

    m_bShowWDRFalg = true;
    setshowBeawayFalg(true);
    watchStreams(machineInfo);

    setFlag(inited_flag);
    clearFlag(initing_flag);
    SNS_DBG(0, "ISensorController::initSensor  success\n");
    return true;
}

// Creates each missing scheme file from the factory set and loads every one.
void ISensorController::createSchemeFiles() {
    u32 nSchemeSum = m_stSysConf.nSchemeSum;
    for (u32 s = 0; s < nSchemeSum; ++s) {
        std::string name = schemeFileName(static_cast<int>(s));
        char* szFileName = &name[0];
        if (access(platform::resolvePath(name).c_str(), F_OK) != 0) {
            KeyVal* set = m_pFctKeyVal;
            if (m_bLprDevice && s == 1) {
                memcpy(m_pstKeyValLpr, m_pFctKeyVal, sizeof(KeyVal) * m_nKeyValSum);
                for (const KeyVal& night : kLprNightDefaults) {
                    int index = findInSet(m_pstKeyValLpr, m_nKeyValSum, night.key);
                    if (index >= 0) {
                        m_pstKeyValLpr[index].value = night.value;
                    }
                }
                set = m_pstKeyValLpr;
            } else if (!m_bLprDevice && s == 0) {
                setKeyValToCache(nSchemeSum, KEY_SCHEME_MODE, 0, true);
            }
            keyValToFile(szFileName, set, m_nKeyValSum);
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

void ISensorController::applySchemeMode(int p_nMode) {
    m_bSchemeBySchedule = p_nMode == 1;
    m_bSchemeByDayNight = p_nMode == 2;
}

// WDR is not offered beside a 50 or 60 fps stream, nor beaway beside a small
// H.264 stream on the AV200 boards.
void ISensorController::watchStreams(const MachineInfo& p_objMachineInfo) {
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
    delete[] m_pstKeyValTmp;
    delete[] m_pKeyCmdMap;
    delete[] m_pKeyCmdIndex;
    if (m_ppUserKeyVal) {
        delete[] m_ppUserKeyVal[0];
        delete[] m_ppUserKeyVal;
    }
    delete[] m_pstKeyValLpr;
    delete[] m_pbFirstOfKey;
    uinitSysConf(&m_stSysConf);
    m_nParamMode = 1;
    m_nLastScheme = -1;
    m_nCurScheme = -1;
    m_nKeyValSum = 0;
    m_pstKeyValTmp = nullptr;
    m_pKeyCmdMap = nullptr;
    m_pKeyCmdIndex = nullptr;
    m_nKeyCmdIndexNum = 0;
    m_ppUserKeyVal = nullptr;
    m_pstKeyValLpr = nullptr;
    m_pbFirstOfKey = nullptr;
    m_pFctKeyVal = nullptr;
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

// --- key-command lookup -----------------------------------------------------

int ISensorController::findFromKeyCmdMap(const keycmd* p_pKeyCmdMap, u32 p_nKey,
                                         keycmd& p_stKeyCmd) {
    int row = findKeyCmdRow(p_pKeyCmdMap, p_nKey);
    if (row == -1) {
        SNS_PRINT(0, "cand not find key-cmd while key=%d\n", p_nKey);
        return -1;
    }
    const keycmd& entry = p_pKeyCmdMap[row];
    p_stKeyCmd.key = entry.key;
    p_stKeyCmd.ia_cmd = entry.ia_cmd;
    p_stKeyCmd.handler = entry.handler;
    strncpy(p_stKeyCmd.name, entry.name, sizeof(p_stKeyCmd.name));
    strncpy(p_stKeyCmd.func, entry.func, sizeof(p_stKeyCmd.func));
    return row;
}

// The first row of the key among the map's m_nKeyCmdNum rows. Every applied
// pair looks its key up: the controller's own map answers from its index,
// any other map is scanned.
int ISensorController::findKeyCmdRow(const keycmd* p_pKeyCmdMap, u32 p_nKey) const {
    if (p_pKeyCmdMap && p_pKeyCmdMap == m_pKeyCmdMap && m_pKeyCmdIndex) {
        const keycmd_index* begin = m_pKeyCmdIndex;
        const keycmd_index* end = begin + m_nKeyCmdIndexNum;
        const keycmd_index* found = std::lower_bound(
            begin, end, p_nKey, [](const keycmd_index& entry, u32 key) { return entry.key < key; });
        return found != end && found->key == p_nKey ? static_cast<int>(found->row) : -1;
    }
    for (u32 row = 0; p_pKeyCmdMap && row < m_nKeyCmdNum; ++row) {
        if (p_pKeyCmdMap[row].key == p_nKey) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

// Once the map holds its rows: each key with its first row, ordered by key.
void ISensorController::indexKeyCmdMap() {
    m_pKeyCmdIndex = new keycmd_index[m_nKeyCmdNum + 1];
    for (u32 row = 0; row < m_nKeyCmdNum; ++row) {
        m_pKeyCmdIndex[row].key = m_pKeyCmdMap[row].key;
        m_pKeyCmdIndex[row].row = row;
    }
    keycmd_index* end = m_pKeyCmdIndex + m_nKeyCmdNum;
    std::stable_sort(m_pKeyCmdIndex, end,
                     [](const keycmd_index& a, const keycmd_index& b) { return a.key < b.key; });
    end = std::unique(m_pKeyCmdIndex, end,
                      [](const keycmd_index& a, const keycmd_index& b) { return a.key == b.key; });
    m_nKeyCmdIndexNum = static_cast<u32>(end - m_pKeyCmdIndex);
}

// --- sensor thread ----------------------------------------------------------

// One tick. The decision runs under m_objMutex, taken in the tick's turn: a
// host calling without pause delays the decision by one operation at most,
// and a reset or uinit that holds the mutex while it stops this thread makes
// the tick give up the decision instead of waiting for it.
int ISensorController::sensorThread() {
    if (!hasFlag(resetting_flag)) {
        wait(TalvexTime(1, 0));
    }
    TickLockGuard guard(m_objMutex, m_objTickTurn,
                        [this] { return hasFlag(resetting_flag | uniniting_flag); });
    if (!guard.held()) {
        // A reset holding the lock keeps the tick from sleeping: pause briefly
        // instead of spinning until it is done.
        wait(TalvexTime(0, 10000));
        return 0;
    }
    return decideScheme(SNS_OPERATION);
}

// The tick's decision; its reports are the tick's (op).
int ISensorController::decideScheme(const SnsOperation& op) {
    if (m_nParamMode == 0) {
        return 0;
    }
    if (m_bSchemeByDayNight) {
        int nScheme = dayNightScheme();
        if (schemeInForce(nScheme) || hasFlag(SNS_BUSY_MASK)) {
            return 0;
        }
        SNS_DBG_FOR(op, 0, "SCHEME: auto switch_to(%d)\n", nScheme);
        SNS_ASSERT_FOR(op, SNS_SUCCESS == switch_to(nScheme), "nScheme(%d)\n", nScheme);
        return 0;
    }
    if (m_bSchemeBySchedule) {
        return decideBySchedule(op);
    }
    return 0;
}

// Schedule mode: the scheme whose window holds the time, else scheme 0; a
// licence-plate camera follows day and night outside every window.
int ISensorController::decideBySchedule(const SnsOperation& op) {
    int nScheme = 0;
    int nSchedule = 0;
    SNS_ASSERT_FOR(op, SNS_SUCCESS == judgeCurScheme(nScheme, nSchedule), "nScheme(%d)\n", nScheme);
    if (m_bLprDevice && nSchedule == 0) {
        nScheme = dayNightScheme();
        if ((m_nLastSchedule == 0 && schemeInForce(nScheme)) || hasFlag(SNS_BUSY_MASK)) {
            return 0;
        }
        LPR_switch_to(nScheme);
        m_nLastSchedule = 0;
        return 0;
    }
    if (m_bLprDevice) {
        if ((nSchedule == m_nLastSchedule && schemeInForce(nScheme)) || hasFlag(SNS_BUSY_MASK)) {
            return 0;
        }
        SNS_DBG_FOR(op, 0, "SCHEME: auto switch_to(%d)\n", nScheme);
        if (m_nLastSchedule == nSchedule) {
            SNS_ASSERT_FOR(op, SNS_SUCCESS == switch_to(nScheme), "nScheme(%d)\n", nScheme);
        } else {
            SNS_ASSERT_FOR(op, SNS_SUCCESS == switch_to(nScheme, true), "nScheme(%d)\n", nScheme);
        }
        m_nLastSchedule = nSchedule;
        return 0;
    }
    if (schemeInForce(nScheme) || hasFlag(SNS_BUSY_MASK)) {
        return 0;
    }
    SNS_DBG_FOR(op, 0, "SCHEME: auto switch_to(%d)\n", nScheme);
    SNS_ASSERT_FOR(op, SNS_SUCCESS == switch_to(nScheme), "nScheme(%d)\n", nScheme);
    return 0;
}

// Scheme 1 at night, scheme 0 by day; a camera with a single user scheme
// keeps it at night too.
int ISensorController::dayNightScheme() {
    int nState = 0;
    getDNState(nState);
    return nState != 0 && m_stSysConf.nSchemeSum >= 2 ? 1 : 0;
}

// The scheme is current and its switch completed: a switch that failed
// part-way is applied again by the next tick.
bool ISensorController::schemeInForce(int p_nScheme) const {
    return p_nScheme == m_nCurScheme && !m_bSwitchIncomplete;
}

// --- parameter text ---------------------------------------------------------

bool ISensorController::parseSensorParameter(const std::string& p_strIds,
                                             std::vector<std::string>& p_vecFields) {
    if (p_strIds.empty() || p_strIds.find('(') != 0) {
        return false;
    }
    std::string::size_type close = p_strIds.find(')');
    if (close == std::string::npos || close != p_strIds.size() - 1 || close < 2) {
        return false;
    }
    StringHandler::split(p_strIds.substr(1, close - 1), p_vecFields, ",");
    return !p_vecFields.empty();
}

bool ISensorController::getParameters(const std::string& p_strIds, std::string& p_strParameters) {
    std::vector<std::string> fields;
    if (!parseSensorParameter(p_strIds, fields)) {
        printf("%s%d getParameters fail p_strIds = %s \n", snsBaseName(__FILE__), __LINE__,
               p_strIds.c_str());
        return false;
    }
    p_strParameters.clear();
    int nVal = 0;
    for (const std::string& field : fields) {
        int nKey = atoi(field.c_str());
        if (getParameter(nKey, nVal)) {
            char pair[32];
            snprintf(pair, sizeof(pair), "(%d,%d)", nKey, nVal);
            p_strParameters += pair;
        }
    }
    printf("@@ out_Parameters = %s @@\n", p_strParameters.c_str());
    return true;
}

bool ISensorController::getAllParameters(std::string& p_strParameters) {
    SNS_HOST_LOCK_GUARD();
    SnsReportScope reportScope;
    if (!currentSet()) {
        return true;  // no scheme is current yet: nothing to tell
    }
    // clang-format off
    SNS_ASSERT(SNS_SUCCESS == keyval_correct(m_nCameraID-1,m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum), "m_nCurScheme(%d) m_nKeyValSum(%d)\n", m_nCurScheme.load(), m_nKeyValSum);
    // clang-format on
    keyval_st2str(p_strParameters, m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum);
    SNS_DBG(0, "current scheme: %d\n%s\n", m_nCurScheme.load(), p_strParameters.c_str());
    return true;
}

// A key list of three numbers goes to the processor's sensor check, which
// answers a fourth when the second is 2: the text is then replaced by it.
int ISensorController::SensorCheck(std::string& p_strIds) {
    std::vector<std::string> fields;
    if (!parseSensorParameter(p_strIds, fields) || fields.size() < 3) {
        printf("%s%d getParameters fail p_strIds = %s \n", snsBaseName(__FILE__), __LINE__,
               p_strIds.c_str());
        return 0;
    }
    int32_t record[4] = {atoi(fields[0].c_str()), atoi(fields[1].c_str()), atoi(fields[2].c_str()),
                         0};
    bool read = record[1] == 2;
    int nRet = ia_ioctrl_v2(m_nCameraID - 1, IA_CMD_SENSOR_CHECK,
                            read ? IA_CMD_OPT_GET : IA_CMD_OPT_SET, record);
    if (read) {
        char text[16];
        snprintf(text, sizeof(text), "%d", record[3]);
        p_strIds = text;
    }
    return nRet;
}

// --- setting and reading parameters -----------------------------------------

// The current scheme's set; null while no scheme is current.
KeyVal* ISensorController::currentSet() {
    int nScheme = m_nCurScheme;
    if (!m_ppUserKeyVal || nScheme < 0 || static_cast<u32>(nScheme) > m_stSysConf.nSchemeSum) {
        return nullptr;
    }
    return m_ppUserKeyVal[nScheme];
}

int ISensorController::setParameters(KeyVal* p_pKeyval, u32 p_nKeyValNum, bool p_bSave) {
    SnsReportScope reportScope;
    for (u32 i = 0; p_pKeyval && i < p_nKeyValNum; ++i) {
        KeyVal& pair = p_pKeyval[i];
        if (p_bSave && isKeyValSameAt(pair, i)) {
            SNS_DBG_IN(reportScope, 0,
                       "ignore, (%u,%u) is newest, m_nFlags.switching_flag(%d), m_nLastScheme(%d), "
                       "m_nCurScheme(%d)!!!\n",
                       pair.key, static_cast<u32>(pair.value), hasFlag(switching_flag) ? 1 : 0,
                       m_nLastScheme.load(), m_nCurScheme.load());
            continue;
        }
        int nRet = SNS_SUCCESS;
        PairOutcome outcome = applyPair(pair, i, nRet, SNS_OPERATION);
        if (outcome == PAIR_FAILED) {
            return nRet;
        }
        if (outcome == PAIR_DROPPED) {
            continue;
        }
        if (p_bSave && setKeyValToCacheAt(static_cast<u32>(m_nCurScheme.load()), pair.key,
                                          static_cast<u32>(pair.value), false, i) == -1) {
            SNS_DBG(0, "m_nCurScheme(%d) p_pKeyval[%u] (%u,%d) not recorded\n", m_nCurScheme.load(),
                    i, pair.key, pair.value);
        }
    }
    putchar('\n');
    return SNS_SUCCESS;
}

// One pair of a batch; a failing handler leaves its negated key in p_nRet.
ISensorController::PairOutcome ISensorController::applyPair(KeyVal& p_stPair, u32 p_nIndex,
                                                            int& p_nRet, const SnsOperation& op) {
    u32 nKey = p_stPair.key;
    if (isRecordedOnly(nKey)) {
        return PAIR_APPLIED;
    }
    if (nKey == KEY_SCHEME_MODE) {
        if (m_nCurScheme == 0) {
            int nMode = schemeModeOf(p_stPair.value);
            applySchemeMode(nMode);
            for (u32 s = 1; s < m_stSysConf.nSchemeSum; ++s) {
                setKeyValToCache(s, KEY_SCHEME_MODE, static_cast<u32>(nMode), true);
            }
        }
        return PAIR_APPLIED;
    }
    if (m_nCameraID == 2 && applyCamera2Direct(p_stPair)) {
        return PAIR_APPLIED;
    }
    // Night takes the day scheme's values.
    bool bApply = !(m_bSchemeByDayNight && isDayNightKey(nKey) && m_nCurScheme != 0);
    u32 nApplyKey = nKey;
    if (!resolveLightType(p_stPair, nApplyKey)) {
        return PAIR_DROPPED;
    }
    if (!bApply) {
        return PAIR_APPLIED;
    }
    const int32_t nValue = p_stPair.value;
    p_nRet = dispatch(p_stPair, nApplyKey, p_nIndex, op);
    if (p_nRet != SNS_SUCCESS) {
        return PAIR_FAILED;
    }
    copySharedValue(nKey, nValue);
    return PAIR_APPLIED;
}

// A value that two records share follows the pair once the sensor has taken
// it, so that a failed set leaves both as they were: a day/night key of the
// day scheme goes into the night scheme, a lamp key into its twin of the
// other light type.
void ISensorController::copySharedValue(u32 p_nKey, int32_t p_nValue) {
    if (m_bSchemeByDayNight && isDayNightKey(p_nKey) && m_nCurScheme == 0 &&
        m_stSysConf.nSchemeSum >= 2) {
        setKeyValToCache(1, p_nKey, static_cast<u32>(p_nValue), true);
    }
    for (const LightPair& lamp : kLightPairs) {
        if (p_nKey == lamp.primary || p_nKey == lamp.partner) {
            setKeyValToCache(static_cast<u32>(m_nCurScheme.load()),
                             p_nKey == lamp.primary ? lamp.partner : lamp.primary,
                             static_cast<u32>(p_nValue), true);
            return;
        }
    }
}

// On camera 2 the mirror, anti-shake, colour and strip keys go straight to
// their handler or the video module, whatever it answers.
bool ISensorController::applyCamera2Direct(KeyVal& p_stPair) {
    switch (p_stPair.key) {
        case KEY_MIRROR:
            doMirror(KEY_MIRROR, IA_CMD_OPT_SET, &p_stPair.value);
            return true;
        case KEY_ANTI_SHAKE_SWITCH:
            doDIS(KEY_ANTI_SHAKE_SWITCH, IA_CMD_OPT_SET, &p_stPair.value);
            return true;
        case KEY_NONE_COLOR_MODE:
        case KEY_TEMPERATURE_STRIP_SWITCH:
            notifyToVideo(static_cast<int>(p_stPair.key), p_stPair.value);
            return true;
        default:
            return false;
    }
}

// A lamp key and its partner: the one in force (partner while the light type
// is 2) is applied under the primary key (and copied into the other by
// copySharedValue); the one not in force is dropped. False when the pair is
// dropped.
bool ISensorController::resolveLightType(const KeyVal& p_stPair, u32& p_nApplyKey) {
    for (const LightPair& lamp : kLightPairs) {
        if (p_stPair.key != lamp.primary && p_stPair.key != lamp.partner) {
            continue;
        }
        u32 nLightType = 0;
        getKeyValFromCache(static_cast<u32>(m_nCurScheme.load()), KEY_LIGHT_TYPE, nLightType);
        bool bPartnerInForce = static_cast<int>(nLightType) == kLightTypeIntelligent;
        bool bIsPartner = p_stPair.key == lamp.partner;
        if (bIsPartner != bPartnerInForce) {
            return false;
        }
        p_nApplyKey = lamp.primary;
        return true;
    }
    return true;
}

// The handler of the key's row; 0, or the row's key negated when it fails.
// Its reports are setParameters' (op).
int ISensorController::dispatch(KeyVal& p_stPair, u32 nKey, u32 p_nIndex, const SnsOperation& op) {
    keycmd stKeyCmdTmp;
    if (findFromKeyCmdMap(m_pKeyCmdMap, nKey, stKeyCmdTmp) == -1) {
        SNS_ASSERT_AS_FOR(op, false, "-1 != findFromKeyCmdMap(m_pKeyCmdMap, nKey, stKeyCmdTmp)",
                          "p_pKeyval[%u].key(%u)", p_nIndex, nKey);
        SNS_PRINT(32, "not find (%d) \n", nKey);
        stKeyCmdTmp = fallbackRow(nKey);
    }
    SNS_PRINT(
        31, "====================== set %.32s (%d,%d) func:%.64s ia_cmd:%d =====================\n",
        stKeyCmdTmp.name, stKeyCmdTmp.key, p_stPair.value, stKeyCmdTmp.func, stKeyCmdTmp.ia_cmd);
    if (!stKeyCmdTmp.handler) {
        return SNS_SUCCESS;  // a key the controller only records
    }
    ia_record_room_u room = ia_record_room(p_stPair.value);
    int nRet = (this->*stKeyCmdTmp.handler)(stKeyCmdTmp.ia_cmd, IA_CMD_OPT_SET, &room);
    p_stPair.value = room.word;
    if (nRet == 0) {
        return SNS_SUCCESS;
    }
    if (nRet == -1 || nRet == -4 || nRet == -5) {
        SNS_ERR_FOR(op, 0, "set %.32s (%d,%d) func:%.64s ia_cmd:%d ~~~failed ia_ret=%d\n",
                    stKeyCmdTmp.name, stKeyCmdTmp.key, p_stPair.value, stKeyCmdTmp.func,
                    stKeyCmdTmp.ia_cmd, nRet);
    }
    return -static_cast<int>(stKeyCmdTmp.key);
}

// The row of a key the map does not know: sent to the processor as it is.
keycmd ISensorController::fallbackRow(u32 nKey) {
    keycmd row;
    memset(&row, 0, sizeof(row));
    row.key = nKey;
    row.ia_cmd = nKey;
    row.handler = &ISensorController::doIaCmd;
    strncpy(row.name, "unknow key", sizeof(row.name));
    strncpy(row.func, "ISensorController::doIaCmd", sizeof(row.func));
    return row;
}

int ISensorController::setParameters(const std::string& p_strParameters, bool p_bSave) {
    SNS_HOST_LOCK_GUARD();
    SnsReportScope reportScope;
    SNS_DBG(0, "p_Parameters1111111111(%s)\n", p_strParameters.c_str());
    u32 nKeyValNum = 0;
    keyval_str2st_bounded(p_strParameters, m_pstKeyValTmp, &nKeyValNum,
                          m_pstKeyValTmp ? m_nKeyValSum : 0);
    return setParameters(m_pstKeyValTmp, nKeyValNum, p_bSave);
}

int ISensorController::setParameter(int p_nKey, int p_nVal, bool p_bSave) {
    SNS_HOST_LOCK_GUARD();
    SnsReportScope reportScope;
    SNS_DBG(0, "p_Parameters22222222222(%d, %d)\n", p_nKey, p_nVal);
    KeyVal stKeyVal = {static_cast<u32>(p_nKey), p_nVal};
    return setParameters(&stKeyVal, 1, p_bSave);
}

bool ISensorController::getParameter(int p_nKey, int& p_nVal) {
    SNS_HOST_LOCK_GUARD();
    SnsReportScope reportScope;
    SNS_DBG(0, "p_nKey(%d)\n", p_nKey);
    u32 nCached = static_cast<u32>(-1);
    if (getKeyValFromCache(static_cast<u32>(m_nCurScheme.load()), static_cast<u32>(p_nKey),
                           nCached) != -1) {
        p_nVal = static_cast<int>(nCached);
        return true;
    }
    if (isLampKeyNotAsked(p_nKey)) {
        p_nVal = -1;
        return true;
    }
    // The key comes from the host and may name a command that answers a whole
    // record (the sensor check, the dynamic-parameter lists).
    ia_record_room_u answer = ia_record_room(p_nVal);
    bool bRead = SNS_ASSERT_AS(SNS_SUCCESS == doIaCmd(p_nKey, IA_CMD_OPT_GET, &answer),
                               "SNS_SUCCESS == doIaCmd(p_nKey, IA_CMD_OPT_GET, &p_nVal)",
                               "get key(%d) val from 2a err", p_nKey);
    if (bRead) {
        p_nVal = answer.word;
    }
    return bRead;
}

bool ISensorController::getCmdExecStatus(int p_nCmd, int& p_nStatus) {
    ia_record_room_u status = ia_record_room(p_nStatus);
    int nRet = doIaCmd(static_cast<u32>(p_nCmd), IA_CMD_OPT_GET_EXEC_STATUS, &status);
    p_nStatus = status.word;
    if (nRet != 0) {
        return false;
    }
    SNS_DBG(0,
            "=================  get exec status cmd(0x%x)       value(%d)   "
            "======================\n",
            p_nCmd, p_nStatus);
    return true;
}

// The public cache accessors take the lock themselves (it is recursive: the
// module's own calls already hold it), so that a host thread reading another
// scheme's values never meets a write of the sensor thread or of a set.
int ISensorController::setKeyValToCache(u32 p_nScheme, u32 p_nKey, u32 p_nVal, bool p_bForce) {
    SNS_LOCK_GUARD(m_objMutex);
    return setKeyValToCacheAt(p_nScheme, p_nKey, p_nVal, p_bForce, kNoHint);
}

int ISensorController::getKeyValFromCache(u32 p_nScheme, u32 p_nKey, u32& p_nVal) {
    SNS_LOCK_GUARD(m_objMutex);
    if (!m_ppUserKeyVal || p_nScheme > m_stSysConf.nSchemeSum) {
        SNS_DBG(0, "can not find val, invalid sheme(%d) \n", static_cast<int>(p_nScheme));
        return -1;
    }
    return getKeyValFromCacheAt(p_nScheme, p_nKey, p_nVal, kNoHint);
}

bool ISensorController::isKeyValSame(const KeyVal& p_stKeyVal) {
    return isKeyValSameAt(p_stKeyVal, kNoHint);
}

// The first record of a key in a row. A batch that carries a whole set (a
// scheme switch, the host's full pair text) holds each key where the rows
// hold it: the record at the pair's position answers at once when it has the
// key and no earlier record of the row has it; otherwise the row is scanned.
inline int ISensorController::findRecord(u32 p_nScheme, u32 p_nKey, u32 p_nHint) const {
    const KeyVal* set = m_ppUserKeyVal[p_nScheme];
    if (m_pbFirstOfKey && p_nHint < m_nKeyValSum && set[p_nHint].key == p_nKey &&
        m_pbFirstOfKey[static_cast<size_t>(p_nScheme) * m_nKeyValSum + p_nHint]) {
        return static_cast<int>(p_nHint);
    }
    return findInSet(set, m_nKeyValSum, p_nKey);
}

// Once the rows hold their keys (from the factory set and the files).
void ISensorController::markFirstRecords() {
    u32 nRows = m_stSysConf.nSchemeSum + 1;
    m_pbFirstOfKey = new bool[static_cast<size_t>(nRows) * m_nKeyValSum + 1]();
    for (u32 s = 0; s < nRows; ++s) {
        const KeyVal* set = m_ppUserKeyVal[s];
        for (u32 i = 0; i < m_nKeyValSum; ++i) {
            m_pbFirstOfKey[static_cast<size_t>(s) * m_nKeyValSum + i] =
                findInSet(set, i, set[i].key) == -1;
        }
    }
}

// Writes never leave the table: the factory row and beyond only when forced,
// nothing past the factory row at all.
inline int ISensorController::setKeyValToCacheAt(u32 p_nScheme, u32 p_nKey, u32 p_nVal,
                                                 bool p_bForce, u32 p_nHint) {
    u32 nSchemeSum = m_stSysConf.nSchemeSum;
    if (!m_ppUserKeyVal || p_nScheme > nSchemeSum || (!p_bForce && p_nScheme >= nSchemeSum)) {
        return -2;
    }
    int index = findRecord(p_nScheme, p_nKey, p_nHint);
    if (index >= 0) {
        m_ppUserKeyVal[p_nScheme][index].value = static_cast<int32_t>(p_nVal);
    }
    return index;
}

inline int ISensorController::getKeyValFromCacheAt(u32 p_nScheme, u32 p_nKey, u32& p_nVal,
                                                   u32 p_nHint) {
    if (!m_ppUserKeyVal || p_nScheme > m_stSysConf.nSchemeSum) {
        return getKeyValFromCache(p_nScheme, p_nKey, p_nVal);  // reports the refusal
    }
    int index = findRecord(p_nScheme, p_nKey, p_nHint);
    if (index >= 0) {
        p_nVal = static_cast<u32>(m_ppUserKeyVal[p_nScheme][index].value);
    }
    return index;
}

// Against the previous scheme during a switch, so that a switch applies only
// what differs between the two schemes.
inline bool ISensorController::isKeyValSameAt(const KeyVal& p_stKeyVal, u32 p_nHint) {
    int nScheme = hasFlag(switching_flag) ? m_nLastScheme.load() : m_nCurScheme.load();
    u32 nVal = static_cast<u32>(-1);
    if (getKeyValFromCacheAt(static_cast<u32>(nScheme), p_stKeyVal.key, nVal, p_nHint) == -1) {
        return false;
    }
    return static_cast<int32_t>(nVal) == p_stKeyVal.value;
}

// --- schemes ----------------------------------------------------------------

// Only user schemes are made current: the factory row takes no recorded
// change, so every change made while it was current would be lost. A reset
// alone applies the factory row this way, before it builds everything anew.
int ISensorController::switch_to(int p_nScheme, bool p_bForce) {
    SnsReportScope reportScope;
    bool bFactoryForReset = hasFlag(resetting_flag) && p_nScheme >= 0 &&
                            static_cast<u32>(p_nScheme) == m_stSysConf.nSchemeSum;
    if (!SNS_ASSERT(isUserScheme(p_nScheme) || bFactoryForReset, "p_nScheme(%d)\n", p_nScheme)) {
        return SNS_SUCCESS;
    }
    SNS_DBG(0, "switch_to(): %d -> %d\n", m_nCurScheme.load(), p_nScheme);
    beginSwitch(p_nScheme);
    if (!currentSet()) {
        endSwitch(SNS_SUCCESS);  // no table serves this index
        return SNS_SUCCESS;
    }
    int nRet = SNS_SUCCESS;
    if (p_bForce) {
        nRet = setParameters(m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum, false);
    } else {
        nRet = setParameters(m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum, true);
        SNS_ASSERT_AS(SNS_SUCCESS == nRet,
                      "SNS_SUCCESS == setParameters(m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum, "
                      "true)",
                      "m_nCurScheme(%d) m_nKeyValSum(%d)\n", m_nCurScheme.load(), m_nKeyValSum);
    }
    endSwitch(nRet);
    return SNS_SUCCESS;
}

bool ISensorController::isUserScheme(int p_nScheme) const {
    return p_nScheme >= 0 && static_cast<u32>(p_nScheme) < m_stSysConf.nSchemeSum;
}

// The previous scheme is the one the pairs are compared with; a switch that
// failed part-way and is applied again keeps the scheme it came from.
void ISensorController::beginSwitch(int p_nScheme) {
    setFlag(switching_flag);
    if (!(m_bSwitchIncomplete && p_nScheme == m_nCurScheme)) {
        m_nLastScheme = m_nCurScheme.load();
    }
    m_nCurScheme = p_nScheme;
}

void ISensorController::endSwitch(int p_nResult) {
    m_bSwitchIncomplete = p_nResult != SNS_SUCCESS;
    clearFlag(switching_flag);
}

// A licence-plate camera applies the scheme with the day/night mode 0, and
// keeps the stored set as it is.
int ISensorController::LPR_switch_to(int p_nScheme) {
    if (!SNS_ASSERT(isUserScheme(p_nScheme), "p_nScheme(%d)\n", p_nScheme)) {
        return SNS_SUCCESS;
    }
    beginSwitch(p_nScheme);
    KeyVal* set = currentSet();
    int nRet = SNS_SUCCESS;
    if (set && m_pstKeyValLpr) {
        memcpy(m_pstKeyValLpr, set, sizeof(KeyVal) * m_nKeyValSum);
        int index = findInSet(m_pstKeyValLpr, m_nKeyValSum, KEY_DN_MODE);
        if (index >= 0) {
            m_pstKeyValLpr[index].value = 0;
        }
        nRet = setParameters(m_pstKeyValLpr, m_nKeyValSum, false);
    }
    endSwitch(nRet);
    return SNS_SUCCESS;
}

// The report keeps its documented text; the factory index is refused all the
// same (see switch_to).
bool ISensorController::setParamScheme(int p_nScheme) {
    SNS_HOST_LOCK_GUARD();
    if (!SNS_ASSERT_AS(isUserScheme(p_nScheme),
                       "p_nScheme >= 0 && (u32)p_nScheme <= m_stSysConf.nSchemeSum",
                       "p_nScheme(%d)\n", p_nScheme)) {
        return false;
    }
    waitWhileBusy();
    switch_to(p_nScheme, false);
    return true;
}

bool ISensorController::getParamScheme(int& p_nScheme) {
    SNS_HOST_LOCK_GUARD();
    p_nScheme = m_nCurScheme;
    return true;
}

bool ISensorController::setParamMode(int p_nMode) {
    SNS_HOST_LOCK_GUARD();
    SNS_ASSERT(0 == p_nMode || 1 == p_nMode, "p_nMode(%d)\n", p_nMode);
    waitWhileBusy();
    m_nParamMode = p_nMode;
    return true;
}

bool ISensorController::getParamMode(int& p_nMode) {
    SNS_HOST_LOCK_GUARD();
    p_nMode = m_nParamMode;
    return true;
}

void ISensorController::waitWhileBusy() {
    while (hasFlag(SNS_BUSY_MASK)) {
        wait(TalvexTime(0, 500000));
    }
}

// The lowest scheme whose window [start, end) holds the time of day.
int ISensorController::judgeCurScheme(int& nScheme, int& nSchedule) {
    struct tm now = TXDeviceTime::getCurrentTime();
    u32 nNow = 100u * static_cast<u32>(now.tm_hour) + static_cast<u32>(now.tm_min);
    nSchedule = 0;
    for (u32 s = 0; m_ppUserKeyVal && m_nKeyValSum > POS_END_MIN && s < m_stSysConf.nSchemeSum;
         ++s) {
        const KeyVal* set = m_ppUserKeyVal[s];
        u32 nStart = clockNumber(set, POS_START_HOUR, POS_START_MIN);
        u32 nEnd = clockNumber(set, POS_END_HOUR, POS_END_MIN);
        if (nStart <= nNow && nNow < nEnd) {
            nScheme = static_cast<int>(s);
            nSchedule = 1;
            return SNS_SUCCESS;
        }
    }
    nScheme = 0;
    return SNS_SUCCESS;
}

// The current scheme's window before it is saved: 505 bad start, 506 bad end,
// 507 start not before end.
int ISensorController::paramCheck() {
    const KeyVal* set = currentSet();
    if (!set || m_nKeyValSum <= POS_END_MIN) {
        return SNS_SUCCESS;
    }
    u32 nParamSchemeStartTime = clockNumber(set, POS_START_HOUR, POS_START_MIN);
    u32 nParamSchemeEndTime = clockNumber(set, POS_END_HOUR, POS_END_MIN);
    if (nParamSchemeStartTime > 2400) {
        SNS_DBG(0, "failed!!!! nParamSchemeStartTime(%d)\n", nParamSchemeStartTime);
        return 505;
    }
    if (nParamSchemeEndTime > 2400) {
        SNS_DBG(0, "failed!!!! nParamSchemeEndTime(%d)\n", nParamSchemeEndTime);
        return 506;
    }
    if (nParamSchemeStartTime >= nParamSchemeEndTime) {
        SNS_DBG(0, "failed!!!! nParamSchemeStartTime(%d) nParamSchemeEndTime(%d)\n",
                nParamSchemeStartTime, nParamSchemeEndTime);
        return 507;
    }
    return SNS_SUCCESS;
}

// --- image-algorithm handlers -----------------------------------------------

namespace {

int32_t wordAt(const void* p_pVal) {
    int32_t word = 0;
    if (p_pVal) {
        memcpy(&word, p_pVal, sizeof(word));
    }
    return word;
}

}  // namespace

int ISensorController::doIaCmd(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    SnsReportScope reportScope;
    SNS_DBG(0,
            "====================== cmd:%d dir:%d val:%d ======m_nCameraID=(%d)"
            "===============begin\n",
            p_nKey, p_nDir, wordAt(p_pVal), m_nCameraID);
    if (lockedLensCommand(p_nKey)) {
        return SNS_SUCCESS;  // the lens is locked: nothing reaches it
    }
    int nRet = ia_ioctrl_v2(m_nCameraID - 1, static_cast<ia_cmd_e>(p_nKey),
                            static_cast<ia_cmd_opt_e>(p_nDir), p_pVal);
    SNS_DBG(0, "====================== cmd:%d dir:%d val:%d =====================end\n", p_nKey,
            p_nDir, wordAt(p_pVal));
    return nRet;
}

// One-shot user actions are not replayed by init, resets or scheme switches.
int ISensorController::doIaCmd_User(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    if (hasFlag(SNS_USER_ACTION_MASK)) {
        SNS_DBG(0, "ignored auto focus once !!!\n");
        return SNS_SUCCESS;
    }
    return doIaCmd(p_nKey, p_nDir, p_pVal);
}

// The video module hears of a WDR change bracketed by the switch state.
int ISensorController::doHwdr(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    if (!m_bShowWDRFalg) {
        int32_t off = 0;
        memcpy(p_pVal, &off, sizeof(off));
        return SNS_SUCCESS;
    }
    notifyToVideo(IA_CMD_UI_WDR_SWITCH_STATE, 0);
    int nRet = notifyToVideo(static_cast<int>(p_nKey), wordAt(p_pVal));
    SNS_ASSERT(SNS_SUCCESS == doIaCmd(p_nKey, p_nDir, p_pVal));
    notifyToVideo(IA_CMD_UI_WDR_SWITCH_STATE, 1);
    return nRet;
}

int ISensorController::doImageAdjust(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    SNS_ASSERT(SNS_SUCCESS == doIaCmd(p_nKey, p_nDir, p_pVal));
    return notifyToVideo(static_cast<int>(p_nKey), wordAt(p_pVal));
}

int ISensorController::doDIS(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    // clang-format off
    SNS_ASSERT(SNS_SUCCESS == notifyToVideo(p_nKey, *(u32*)p_pVal));
    // clang-format on
    return doIaCmd(p_nKey, p_nDir, p_pVal);
}

// Panorama tuning belongs to the video module alone.
int ISensorController::doIaCmd_PanoTuning(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    (void)p_nDir;
    int nKey = static_cast<int>(p_nKey);
    int nVal = wordAt(p_pVal);
    SNS_ASSERT(SNS_SUCCESS == notifyToVideo(nKey, nVal));
    return SNS_SUCCESS;
}

// --- day/night, mirror, beaway ----------------------------------------------

// The cached value of a key in the current scheme; fallback when not cached.
u32 ISensorController::cachedValue(u32 p_nKey, u32 p_nFallback) {
    u32 nVal = p_nFallback;
    getKeyValFromCache(static_cast<u32>(m_nCurScheme.load()), p_nKey, nVal);
    return nVal;
}

int ISensorController::doDNThr(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    dn_thr_st stThr = {0, 0, 0};
    u32 nVal = static_cast<u32>(wordAt(p_pVal));
    if (p_nKey == KEY_DTN_THR) {
        stThr.d2n_thr = nVal;
        stThr.n2d_thr = cachedValue(KEY_NTD_THR, 0);
    } else if (p_nKey == KEY_NTD_THR) {
        stThr.d2n_thr = cachedValue(KEY_DTN_THR, 0);
        stThr.n2d_thr = nVal;
    } else if (p_nKey == KEY_DN_SENSITIVITY) {
        stThr.dn_sensitivity = nVal;
    }
    SNS_PRINT(0,
              "m_nCurScheme(%u) dn_thr_st.d2n_thr(%u) dn_thr_st.n2d_thr(%u)  "
              "dn_thr_st.dn_sensitivity(%u)\n",
              static_cast<u32>(m_nCurScheme.load()), stThr.d2n_thr, stThr.n2d_thr,
              stThr.dn_sensitivity);
    int nRet = doIaCmd(p_nKey, p_nDir, &stThr);
    return hasFlag(reset_last_flag) ? SNS_SUCCESS : nRet;
}

int ISensorController::doDNTime(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    dn_time_st stTime;
    stTime.d2n_hour = cachedValue(KEY_DTN_H, 0);
    stTime.d2n_min = cachedValue(KEY_DTN_M, 0);
    stTime.n2d_hour = cachedValue(KEY_NTD_H, 0);
    stTime.n2d_min = cachedValue(KEY_NTD_M, 0);
    u32 nVal = static_cast<u32>(wordAt(p_pVal));
    if (p_nKey == KEY_DTN_H) {
        stTime.d2n_hour = nVal;
    } else if (p_nKey == KEY_DTN_M) {
        stTime.d2n_min = nVal;
    } else if (p_nKey == KEY_NTD_H) {
        stTime.n2d_hour = nVal;
    } else {
        stTime.n2d_min = nVal;
    }
    SNS_PRINT(0,
              "m_nCurScheme(%u) dn_time_st.d2n_hour(%u) dn_time_st.d2n_min(%u) "
              "dn_time_st.n2d_hour(%u) dn_time_st.n2d_min(%u) \n",
              static_cast<u32>(m_nCurScheme.load()), stTime.d2n_hour, stTime.d2n_min,
              stTime.n2d_hour, stTime.n2d_min);
    return doIaCmd(p_nKey, p_nDir, &stTime);
}

// The caller's value stays as the user set it; the picture gets it translated
// under beaway.
int ISensorController::doMirror(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    int nAsked = wordAt(p_pVal);
    int nBeaway = static_cast<int>(cachedValue(KEY_BEAWAY, 0));
    int nMirror = translateMirror(nAsked, nBeaway);
    SNS_DBG(0, "nMirror(%u --> %u), nBeaway:%u\n", static_cast<u32>(nAsked),
            static_cast<u32>(nMirror), static_cast<u32>(nBeaway));
    SNS_ASSERT(SNS_SUCCESS == notifyToVideo(p_nKey, nMirror));
    return doIaCmd(p_nKey, p_nDir, &nMirror);
}

int ISensorController::doBeaway(u32 p_nKey, u32 p_nDir, void* p_pVal) {
    if (!getshowBeawayFalg()) {
        int32_t off = 0;
        memcpy(p_pVal, &off, sizeof(off));
        return SNS_SUCCESS;
    }
    int nBeaway = wordAt(p_pVal);
    int nMirror = translateMirror(static_cast<int>(cachedValue(KEY_MIRROR, 0)), nBeaway);
    SNS_ASSERT(SNS_SUCCESS == notifyToVideo(IA_CMD_UI_MIRROR, nMirror));
    SNS_ASSERT(SNS_SUCCESS == notifyToVideo(p_nKey, nBeaway));
    return doIaCmd(p_nKey, p_nDir, &nBeaway);
}

bool ISensorController::getDNMode(int& p_nMode) {
    getParameter(KEY_DN_MODE, p_nMode);
    return true;
}

bool ISensorController::setDNMode(int p_nMode) {
    return setParameter(KEY_DN_MODE, p_nMode, true) == SNS_SUCCESS;
}

// A mirror change the user makes is saved at once.
bool ISensorController::setMirrorMode(int p_nMirror) {
    if (setParameter(KEY_MIRROR, p_nMirror, true) != SNS_SUCCESS) {
        return false;
    }
    flush();
    return true;
}

bool ISensorController::getMirrorValue(int& p_nMirror) {
    return getParameter(KEY_MIRROR, p_nMirror);
}

bool ISensorController::getBeaway(int& p_nBeaway) {
    return getParameter(KEY_BEAWAY, p_nBeaway);
}

void ISensorController::setShowWDRFalg(bool p_bShow) {
    m_bShowWDRFalg = p_bShow;
}

bool ISensorController::getShowWDRFalg(bool& p_bShow) {
    p_bShow = m_bShowWDRFalg;
    return true;
}

void ISensorController::setShowBeawayFalg(bool p_bShow) {
    setshowBeawayFalg(p_bShow);
}

bool ISensorController::getShowBeawayFalg(bool& p_bShow) {
    p_bShow = getshowBeawayFalg();
    return true;
}

// --- restore, reset, flush --------------------------------------------------

std::string ISensorController::schemeFileName(int p_nScheme) const {
    char szFileName[256] = {0};
    snprintf(szFileName, sizeof(szFileName),
             m_nCameraID == 2 ? "/mnt/mtd/code/config_file/sensor-thermal%d.cfg"
                              : "/mnt/mtd/code/config_file/sensor%d.cfg",
             p_nScheme);
    return szFileName;
}

// Saves the current user scheme; the factory set (or no scheme) saves nothing.
// Nor does an empty set (the style could not be read at init): written, it
// would wipe the scheme's saved values.
int ISensorController::flush() {
    SNS_HOST_LOCK_GUARD();
    if (static_cast<u32>(m_nCurScheme.load()) >= m_stSysConf.nSchemeSum || !currentSet() ||
        m_nKeyValSum == 0) {
        return SNS_SUCCESS;
    }
    int nCheck = paramCheck();
    if (nCheck != SNS_SUCCESS) {
        return nCheck;
    }
    if (!versionSaved()) {
        return -1;
    }
    std::string name = schemeFileName(m_nCurScheme);
    return keyValToFile(&name[0], m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum);
}

// A version file that init could not write is written before the first save
// of the session; setVersion reports a failure.
bool ISensorController::versionSaved() {
    if (!m_bVersionSaved) {
        m_bVersionSaved = setVersion(m_nVersion) == SNS_SUCCESS;
    }
    return m_bVersionSaved;
}

// Applies the recorded value of a key again, undoing a live change.
int ISensorController::restore(int p_nKey) {
    SNS_HOST_LOCK_GUARD();
    SnsReportScope reportScope;
    SNS_DBG(0, "p_nKey(%d)\n", p_nKey);
    KeyVal* set = currentSet();
    int nPos = findInSet(set, set ? m_nKeyValSum : 0, static_cast<u32>(p_nKey));
    if (!SNS_ASSERT(-1 != nPos, "restore key(%d) failed! make sure it is sensor ui key \n",
                    p_nKey)) {
        return -1;
    }
    return setParameters(&set[nPos], 1, false);
}

bool ISensorController::restoreAeMode() {
    if (restore(KEY_AUTO_FOCUS_MODE) != SNS_SUCCESS) {
        return false;
    }
    return restore(KEY_EXPOSE_MODE) == SNS_SUCCESS;
}

// The current scheme becomes what its file holds: only differing keys are applied.
bool ISensorController::resetToLastParameters() {
    SnsReportScope reportScope;
    SNS_DBG(0, "\n");
    // The scheme and its file name are taken under the lock: a switch or a
    // reset in between would load one scheme's file into another's set.
    SNS_HOST_LOCK_GUARD();
    if (static_cast<u32>(m_nCurScheme.load()) >= m_stSysConf.nSchemeSum) {
        return true;
    }
    char szTmp[256];
    snprintf(szTmp, sizeof(szTmp), "%s", schemeFileName(m_nCurScheme).c_str());
    if (!currentSet() || !m_pstKeyValTmp) {
        return true;
    }
    setFlag(reset_last_flag);
    memcpy(m_pstKeyValTmp, m_ppUserKeyVal[m_nCurScheme], sizeof(KeyVal) * m_nKeyValSum);
    SNS_ASSERT(SNS_SUCCESS == keyValFromFile(szTmp, m_pstKeyValTmp, m_nKeyValSum),
               "szTmp(%s), m_nKeyValSum(%d)\n", szTmp, m_nKeyValSum);
    int nRet = setParameters(m_pstKeyValTmp, m_nKeyValSum, true);
    clearFlag(reset_last_flag);
    return nRet == SNS_SUCCESS;
}

// Every scheme back to the factory set, on disk and in memory, and a fresh
// start. The sensor thread is stopped and started again while the lock is
// held: its ticks only try the lock, so they never wait for this.
bool ISensorController::resetParameters() {
    SNS_HOST_LOCK_GUARD();
    SNS_DBG(0, "resetting\n");
    setFlag(resetting_flag);
    SNS_ASSERT(SNS_SUCCESS == switch_to(m_stSysConf.nSchemeSum), "m_stSysConf.nSchemeSum(%d)\n",
               m_stSysConf.nSchemeSum);
    sy_system(("rm -rf " + platform::shellPath("/mnt/mtd/code/config*/sensor*")).c_str(), 30);
    ModuleConfigure objModuleConfigure = storedModuleConfigure();
    uinit();
    updateDebugLevel();
    if (snsDebugLevel() > 5) {
        readModuleConfigure(objModuleConfigure);
    }
    SNS_ASSERT(init(objModuleConfigure));
    m_nCurScheme = 0;
    clearFlag(resetting_flag);
    return true;
}

ModuleConfigure ISensorController::storedModuleConfigure() const {
    ModuleConfigure objModuleConfigure;
    objModuleConfigure.setModuleId(m_stSysConf.moduleConfig.nModuleId);
    objModuleConfigure.setParameters(m_stSysConf.moduleConfig.szParameters);
    objModuleConfigure.setDetail(m_stSysConf.moduleConfig.szDetail);
    return objModuleConfigure;
}

// The first module of the configuration file for this machine; a file that
// names none leaves the stored configuration in place.
void ISensorController::readModuleConfigure(ModuleConfigure& p_objModuleConfigure) const {
    MachineInfo machineInfo;
    SystemInfoParser::parseMachineInfo(kMachineInfoFile, machineInfo);
    std::vector<ModuleConfigure> modules;
    ModuleConfigureParser::parse("/hd1/moduleConfig/moduleConfig.xml",
                                 machineInfo.getHardwareModel(), machineInfo.getHardwareCode(),
                                 modules);
    if (!modules.empty()) {
        p_objModuleConfigure = modules.front();
    }
}

// --- lens, exposure, lights, user-interface files ---------------------------

namespace {

// Zoom position of each whole magnification, 1x to 16x.
const u32 kZoomTable[16] = {16384, 24576, 27264, 28672, 29056, 29440, 29728, 30016,
                            30208, 30400, 30560, 30720, 30912, 31104, 31232, 31424};
const int kIrisMin = 256;
const int kIrisMax = 25600;
const int kIrisWideOpen = 0x100000;
const int kExposureModeIris = 3;
const int kShutterStepsMax = 30;

// Magnification x 1000 of a zoom position; false beyond the table.
bool zoomRatio(u32 p_nPos, int& p_nRatio) {
    if (p_nPos <= kZoomTable[0]) {
        p_nRatio = 1000;
        return true;
    }
    for (int k = 1; k < 16; ++k) {
        if (kZoomTable[k - 1] < p_nPos && p_nPos <= kZoomTable[k]) {
            u32 span = kZoomTable[k] - kZoomTable[k - 1];
            p_nRatio = 1000 * (k + 1) - static_cast<int>(1000u * (kZoomTable[k] - p_nPos) / span);
            return true;
        }
    }
    return false;
}

int clampIris(int p_nIris) {
    if (p_nIris < kIrisMin) {
        return kIrisMin;
    }
    return p_nIris > kIrisMax ? kIrisWideOpen : p_nIris;
}

}  // namespace

bool ISensorController::lockedLensCommand(u32 p_nKey) {
    std::lock_guard<std::mutex> guard(m_objZoomFocusMutex);
    return m_stZoomFocusParam.getLockZoomFocusEnable() && p_nKey >= kLensCommandFirst &&
           p_nKey <= kLensCommandLast;
}

bool ISensorController::setDirect(u32 p_nCmd, int p_nVal) {
    return doIaCmd(p_nCmd, IA_CMD_OPT_SET, &p_nVal) == SNS_SUCCESS;
}

bool ISensorController::getDirect(u32 p_nCmd, int& p_nVal) {
    return doIaCmd(p_nCmd, IA_CMD_OPT_GET, &p_nVal) == SNS_SUCCESS;
}

// Iris commands need the iris-priority exposure mode first.
bool ISensorController::setExposureModeThen(u32 p_nCmd, int p_nVal) {
    if (!setDirect(IA_CMD_EXPOSE_MODE, kExposureModeIris)) {
        return false;
    }
    return setDirect(p_nCmd, p_nVal);
}

bool ISensorController::focusFar() {
    setDirect(IA_CMD_AUTO_FOCUS_MODE, 1);
    return setDirect(IA_CMD_FOCUS_FAR, 1);
}

bool ISensorController::focusNear() {
    setDirect(IA_CMD_AUTO_FOCUS_MODE, 1);
    return setDirect(IA_CMD_FOCUS_NEAR, 1);
}

bool ISensorController::irisUp() {
    return setExposureModeThen(IA_CMD_IRIS_UP, 1);
}

bool ISensorController::irisDown() {
    return setExposureModeThen(IA_CMD_IRIS_DOWN, 1);
}

bool ISensorController::zoomIn() {
    return setDirect(IA_CMD_ZOOM_IN, 1);
}

bool ISensorController::zoomOut() {
    return setDirect(IA_CMD_ZOOM_OUT, 1);
}

bool ISensorController::getZoomValue(int& nPos, int& nRatio) {
    if (!getDirect(IA_CMD_MZ_POSITION, nPos)) {
        return false;
    }
    zoomRatio(static_cast<u32>(nPos), nRatio);
    return true;
}

bool ISensorController::setZoomValue(int p_nPos) {
    return setDirect(IA_CMD_MZ_POSITION, p_nPos);
}

bool ISensorController::setPTZRunState(int p_nState) {
    return setDirect(IA_CMD_PTZ_RUN_STATE, p_nState);
}

bool ISensorController::setFocusValue(int p_nPos) {
    return setDirect(IA_CMD_MF_POSITION, p_nPos);
}

bool ISensorController::getFocusValue(int& p_nPos) {
    return getDirect(IA_CMD_MF_POSITION, p_nPos);
}

bool ISensorController::setFocusMode(int p_nMode) {
    return setDirect(IA_CMD_AUTO_FOCUS_MODE, p_nMode);
}

bool ISensorController::getFocusMode(int& p_nMode) {
    return getDirect(IA_CMD_AUTO_FOCUS_MODE, p_nMode);
}

bool ISensorController::getDNState(int& p_nState) {
    return getDirect(IA_CMD_DN_STATE, p_nState);
}

bool ISensorController::getAFStatistic(unsigned int& p_nStatistic) {
    return doIaCmd(IA_CMD_AF_STATISTIC, IA_CMD_OPT_GET, &p_nStatistic) == SNS_SUCCESS;
}

bool ISensorController::getWDR(int& p_nWdr) {
    return getDirect(IA_CMD_WDR_MODE, p_nWdr);
}

// The processor may fill all 50 bytes: the text is taken up to its first NUL
// and never beyond the buffer.
bool ISensorController::getCameraVerInf(std::string& p_strVersion) {
    char szVersion[IA_CAMERA_VER_LEN];
    memset(szVersion, 0, sizeof(szVersion));
    if (doIaCmd(IA_CMD_CAMERA_VER_INFO, IA_CMD_OPT_GET, szVersion) != SNS_SUCCESS) {
        return false;
    }
    p_strVersion.assign(szVersion, strnlen(szVersion, sizeof(szVersion)));
    return true;
}

int ISensorController::getSensorZoomFocusParam(SensorZoomFocusParam& p_stParam) {
    std::lock_guard<std::mutex> guard(m_objZoomFocusMutex);
    p_stParam = m_stZoomFocusParam;
    return SNS_SUCCESS;
}

int ISensorController::setSensorZoomFocusParam(SensorZoomFocusParam& p_stParam) {
    std::lock_guard<std::mutex> guard(m_objZoomFocusMutex);
    m_stZoomFocusParam = p_stParam;
    return SNS_SUCCESS;
}

// The accepted values of a sensor-dependent shutter, iris or focus setting,
// as decimal text separated by blanks. False, outputs untouched, when the
// command is not one of them, not dynamic, or its range cannot be read.
bool ISensorController::getSensorParamRange(int p_nCmd, int& nDefault, std::string& strRange) {
    ia_dynamic_params_cmds_st dnaCmdList;
    memset(&dnaCmdList, 0, sizeof(dnaCmdList));
    // clang-format off
    bool listed = SNS_ASSERT(SNS_SUCCESS == ia_ioctrl_v2(m_nCameraID-1, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, (void*)(&dnaCmdList)));
    // clang-format on
    bool ranged = p_nCmd == IA_CMD_MAX_SHUTTER || p_nCmd == IA_CMD_FIX_SHUTTER ||
                  p_nCmd == IA_CMD_IRIS_POSITION || p_nCmd == IA_CMD_AUTO_FOCUS_NEAR_LIMIT;
    int commands =
        dnaCmdList.cmd_cnt > IA_DYNAMIC_CMDS_MAX ? IA_DYNAMIC_CMDS_MAX : dnaCmdList.cmd_cnt;
    bool dynamic = false;
    for (int i = 0; listed && ranged && i < commands && !dynamic; ++i) {
        dynamic = dnaCmdList.cmd_list[i] == p_nCmd;
    }
    if (!dynamic || lockedLensCommand(static_cast<u32>(p_nCmd))) {
        return false;
    }
    ia_dynamic_params_attr_st stDynamicParam;
    memset(&stDynamicParam, 0, sizeof(stDynamicParam));
    // clang-format off
    if (!SNS_ASSERT(SNS_SUCCESS == doIaCmd(p_nCmd, IA_CMD_OPT_GET_PARAM_RNAGE, (void*)(&stDynamicParam)))) {
        return false;
    }
    // clang-format on
    if (stDynamicParam.param_type != 0) {
        return true;
    }
    nDefault = stDynamicParam.default_val;
    int items = stDynamicParam.items_cnt < 0 ? 0 : stDynamicParam.items_cnt;
    items = items > IA_DYNAMIC_ITEMS_MAX ? IA_DYNAMIC_ITEMS_MAX : items;
    char number[16];
    for (int j = 0; j < items; ++j) {
        snprintf(number, sizeof(number), j == 0 ? "%d" : " %d", stDynamicParam.item[j]);
        strRange += number;
    }
    printf("cmd=%d DefaltParam=%d strParamRange=%s\n", p_nCmd, nDefault, strRange.c_str());
    return true;
}

bool ISensorController::getIRSwitch(int& p_nSwitch) {
    return getDirect(IA_CMD_IR_SWITCH, p_nSwitch);
}

bool ISensorController::getWhiteSwitch(int& p_nSwitch) {
    return getDirect(IA_CMD_WHITE_SWITCH, p_nSwitch);
}

bool ISensorController::getWhiteMode(int& p_nMode) {
    return getDirect(IA_CMD_WHITE_MODE, p_nMode);
}

// The two lamps are never switched on together: switching one on first
// switches the other off.
bool ISensorController::setLamp(u32 p_nOwnKey, int p_nSwitch,
                                bool (ISensorController::*p_pGetOther)(int&),
                                bool (ISensorController::*p_pSetOther)(int)) {
    if (p_nSwitch == 1) {
        int nOther = 0;
        if (!(this->*p_pGetOther)(nOther)) {
            return false;
        }
        if (nOther == 1 && !(this->*p_pSetOther)(0)) {
            return false;
        }
    }
    return setParameter(static_cast<int>(p_nOwnKey), p_nSwitch, true) == SNS_SUCCESS;
}

bool ISensorController::setIRSwitch(int p_nSwitch) {
    return setLamp(KEY_IR_SWITCH, p_nSwitch, &ISensorController::getWhiteSwitch,
                   &ISensorController::setWhiteSwitch);
}

bool ISensorController::setWhiteSwitch(int p_nSwitch) {
    return setLamp(KEY_WHITE_SWITCH, p_nSwitch, &ISensorController::getIRSwitch,
                   &ISensorController::setIRSwitch);
}

bool ISensorController::setWhiteMode(int p_nMode) {
    return setParameter(KEY_WHITE_MODE, p_nMode, true) == SNS_SUCCESS;
}

bool ISensorController::getIrisValue(int& p_nIris) {
    return getDirect(IA_CMD_IRIS_POSITION, p_nIris);
}

bool ISensorController::setIrisValue(int p_nIris) {
    return setExposureModeThen(IA_CMD_IRIS_POSITION, clampIris(p_nIris));
}

// The shutter values the sensor accepts, at most 30, from the range text.
int ISensorController::shutterSteps(int* p_pSteps) {
    int nDefault = 0;
    std::string strRange;
    getSensorParamRange(IA_CMD_MAX_SHUTTER, nDefault, strRange);
    int n = 0;
    std::string::size_type start = 0;
    while (n < kShutterStepsMax && start < strRange.size()) {
        std::string::size_type blank = strRange.find(' ', start);
        std::string token =
            strRange.substr(start, blank == std::string::npos ? std::string::npos : blank - start);
        int nValue = 0;
        StringHandler::str2type(token, nValue);
        p_pSteps[n++] = nValue;
        if (blank == std::string::npos) {
            break;
        }
        start = blank + 1;
    }
    return n;
}

// Position of the processor's current shutter in the list.
bool ISensorController::currentShutterIndex(const int* p_pSteps, int p_nSteps, int& p_nIndex) {
    int nCurrent = 0;
    if (!getDirect(IA_CMD_MAX_SHUTTER, nCurrent)) {
        return false;
    }
    for (int i = 0; i < p_nSteps; ++i) {
        if (p_pSteps[i] == nCurrent) {
            p_nIndex = i;
            return true;
        }
    }
    return false;
}

bool ISensorController::getShutterValue(int& nIndex) {
    int steps[kShutterStepsMax];
    int n = shutterSteps(steps);
    return currentShutterIndex(steps, n, nIndex);
}

bool ISensorController::setShutterValue(int nIndex) {
    int steps[kShutterStepsMax];
    int n = shutterSteps(steps);
    if (nIndex < 0 || nIndex >= n) {
        return false;
    }
    return setParameter(KEY_MAX_SHUTTER, steps[nIndex], true) == SNS_SUCCESS;
}

// One step along the list, staying at its ends.
bool ISensorController::stepShutter(int p_nStep) {
    int steps[kShutterStepsMax];
    int n = shutterSteps(steps);
    int i = 0;
    if (!currentShutterIndex(steps, n, i)) {
        return false;
    }
    int next = i + p_nStep;
    if (next >= 0 && next < n) {
        i = next;
    }
    return setParameter(KEY_MAX_SHUTTER, steps[i], true) == SNS_SUCCESS;
}

bool ISensorController::shutterUp() {
    return stepShutter(1);
}

bool ISensorController::shutterDown() {
    return stepShutter(-1);
}

// The entry of a language, else the first entry; null when the table is empty.
// Its report is the asking operation's (op).
const UILanguage* ISensorController::findLanguage(int LanguageId, const SnsOperation& op) {
    SNS_DBG_FOR(op, 0, "LanguageId(%d)\n", LanguageId);
    if (!m_stSysConf.pstUILanguage || m_stSysConf.nUILanguageNum == 0) {
        return nullptr;
    }
    for (u32 i = 0; i < m_stSysConf.nUILanguageNum; ++i) {
        if (m_stSysConf.pstUILanguage[i].nLanguageId == LanguageId) {
            return &m_stSysConf.pstUILanguage[i];
        }
    }
    return &m_stSysConf.pstUILanguage[0];
}

std::string ISensorController::getUICommonFile(int LanguageId) {
    SNS_HOST_LOCK_GUARD();
    const UILanguage* language = findLanguage(LanguageId, SNS_OPERATION);
    return language && language->szCommonFile ? language->szCommonFile : "";
}

std::string ISensorController::getUILanguageFile(int LanguageId) {
    SNS_HOST_LOCK_GUARD();
    const UILanguage* language = findLanguage(LanguageId, SNS_OPERATION);
    return language && language->szLanguageFile ? language->szLanguageFile : "";
}

// The style page tailored afresh to the sensor's current answers.
std::string ISensorController::getUIStyleFile() {
    SNS_HOST_LOCK_GUARD();
    SnsReportScope reportScope;
    std::string strTmp;
    // clang-format off
    if (!SNS_ASSERT(SNS_SUCCESS == getDnaStyle(m_nCameraID,m_stSysConf.szUIStyle, strTmp,m_bShowWDRFalg))) {
        return strTmp;
    }
    // clang-format on
    SNS_INFO(0, "%s\n", strTmp.c_str());
    return strTmp;
}
