// The image-sensor controller of one camera channel.
#ifndef SENSOR_ISENSORCONTROLLER_H
#define SENSOR_ISENSORCONTROLLER_H

#include <stdint.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "platform/BaseTypes.h"
#include "platform/GThread.h"
#include "platform/MachineInfo.h"
#include "platform/ModuleConfigure.h"
#include "platform/SensorZoomFocusParam.h"
#include "platform/TXMutex.h"
#include "platform/VideoStreamModule.h"
#include "sensor/SensorKeyVal.h"
#include "sensor/SensorKeys.h"
#include "sensor/sensor.h"
#include "support/WorkerTurn.h"

class ISensorController;
struct SnsOperation;  // support/SensorDebug.h: the operation a helper reports for

// A handler carries one parameter change to the processor (and, for some
// keys, to the video module): command, direction, value or record.
typedef int (ISensorController::*SensorHandler)(u32 p_nKey, u32 p_nDir, void* p_pVal);

enum {
    KEYCMD_NAME_LEN = 32,  // a name may fill the field without a terminator
    KEYCMD_FUNC_LEN = 64,
    KEYCMD_ROWS = 147,  // rows of the key-command map
};

// One row of the key-command map.
typedef struct {
    u32 key;
    u32 ia_cmd;  // 0 in rows without handler
    SensorHandler handler;
    char name[KEYCMD_NAME_LEN];
    char func[KEYCMD_FUNC_LEN];
} keycmd;

// Writes the 147 rows of the map into p_pMap, which has room for them.
void buildKeyCmdMap(keycmd* p_pMap);

// A key of the map and the first row that holds it; the index of a map holds
// one per key, ordered by key.
typedef struct {
    u32 key;
    u32 row;
} keycmd_index;

// Whether a key is the intelligent-light partner of a lamp key: stored beside
// it in every set, in force while the light type is intelligent, not in the map.
bool isLightTypePartnerKey(u32 p_nKey);

// Bits of m_nFlags.
enum {
    initing_flag = 0x01,
    uniniting_flag = 0x02,
    inited_flag = 0x04,
    resetting_flag = 0x08,
    reset_last_flag = 0x10,
    switching_flag = 0x20,
    SNS_BUSY_MASK = resetting_flag | reset_last_flag | switching_flag,
    SNS_USER_ACTION_MASK = initing_flag | resetting_flag | reset_last_flag | switching_flag,
};

// Schemes a module configuration may ask for; more would only eat the flash.
enum { SNS_SCHEME_MAX = 16 };
// The layout of the parameter files this build writes, kept in the version
// file; saved files of another version are removed at init.
enum { SNS_PARAM_FILE_VERSION = 8 };

// The host constructs one controller per channel, calls setChannelID,
// setVideoStreamModule and init, then any operation, and uinit at the end.
// Host operations that touch parameters hold m_objMutex; the sensor thread
// takes it too (without waiting) for its scheme decisions.
class ISensorController {
  public:
    ISensorController();
    ~ISensorController();
    ISensorController(const ISensorController&) = delete;
    ISensorController& operator=(const ISensorController&) = delete;

    // Lifecycle, channel, video link
    bool init(const ModuleConfigure& p_objModuleConfigure);
    void uinit();
    void setChannelID(int p_nChannelID);
    int getSensorType();
    bool getSensorStatus();
    void setVideoStreamModule(const VideoStreamModule* p_pVideoStreamModule);
    int notifyToVideo(int p_nKey, int p_nVal);
    void printDebugMsg();

    // Key-command lookup
    int findFromKeyCmdMap(const keycmd* p_pKeyCmdMap, u32 p_nKey, keycmd& p_stKeyCmd);

    // Sensor thread body: one tick
    int sensorThread();

    // Parameter text
    bool parseSensorParameter(const std::string& p_strIds, std::vector<std::string>& p_vecFields);
    bool getParameters(const std::string& p_strIds, std::string& p_strParameters);
    bool getAllParameters(std::string& p_strParameters);
    int SensorCheck(std::string& p_strIds);

    // Setting and reading parameters
    int setParameters(KeyVal* p_pKeyval, u32 p_nKeyValNum, bool p_bSave);
    int setParameters(const std::string& p_strParameters, bool p_bSave);
    int setParameter(int p_nKey, int p_nVal, bool p_bSave);
    bool getParameter(int p_nKey, int& p_nVal);
    int setKeyValToCache(u32 p_nScheme, u32 p_nKey, u32 p_nVal, bool p_bForce);
    int getKeyValFromCache(u32 p_nScheme, u32 p_nKey, u32& p_nVal);
    bool isKeyValSame(const KeyVal& p_stKeyVal);
    bool getCmdExecStatus(int p_nCmd, int& p_nStatus);

    // Schemes
    int switch_to(int p_nScheme, bool p_bForce = false);
    int LPR_switch_to(int p_nScheme);
    bool setParamScheme(int p_nScheme);
    bool getParamScheme(int& p_nScheme);
    bool setParamMode(int p_nMode);
    bool getParamMode(int& p_nMode);
    int judgeCurScheme(int& nScheme, int& nSchedule);
    int paramCheck();

    // Image-algorithm handlers
    int doIaCmd(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doIaCmd_User(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doHwdr(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doImageAdjust(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doDIS(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doIaCmd_PanoTuning(u32 p_nKey, u32 p_nDir, void* p_pVal);

    // Day/night, mirror, beaway
    int doDNThr(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doDNTime(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doMirror(u32 p_nKey, u32 p_nDir, void* p_pVal);
    int doBeaway(u32 p_nKey, u32 p_nDir, void* p_pVal);
    bool getDNMode(int& p_nMode);
    bool setDNMode(int p_nMode);
    bool getMirrorValue(int& p_nMirror);
    bool getBeaway(int& p_nBeaway);
    void setShowWDRFalg(bool p_bShow);
    bool getShowWDRFalg(bool& p_bShow);
    void setShowBeawayFalg(bool p_bShow);
    bool getShowBeawayFalg(bool& p_bShow);

    bool setMirrorMode(int p_nMirror);

    // Restore, reset, flush
    int flush();
    int restore(int p_nKey);
    bool restoreAeMode();
    bool resetToLastParameters();
    bool resetParameters();

    // Lens, exposure, lights, user-interface files
    bool focusFar();
    bool focusNear();
    bool irisUp();
    bool irisDown();
    bool zoomIn();
    bool zoomOut();
    bool getZoomValue(int& nPos, int& nRatio);
    bool setZoomValue(int p_nPos);
    bool setPTZRunState(int p_nState);
    bool setFocusValue(int p_nPos);
    bool getFocusValue(int& p_nPos);
    bool setFocusMode(int p_nMode);
    bool getFocusMode(int& p_nMode);
    bool getDNState(int& p_nState);
    bool getAFStatistic(unsigned int& p_nStatistic);
    bool getWDR(int& p_nWdr);
    bool getCameraVerInf(std::string& p_strVersion);
    int getSensorZoomFocusParam(SensorZoomFocusParam& p_stParam);
    int setSensorZoomFocusParam(SensorZoomFocusParam& p_stParam);
    bool getSensorParamRange(int p_nCmd, int& nDefault, std::string& strRange);
    bool getIRSwitch(int& p_nSwitch);
    bool setIRSwitch(int p_nSwitch);
    bool getWhiteSwitch(int& p_nSwitch);
    bool setWhiteSwitch(int p_nSwitch);
    bool getWhiteMode(int& p_nMode);
    bool setWhiteMode(int p_nMode);
    bool getIrisValue(int& p_nIris);
    bool setIrisValue(int p_nIris);
    bool getShutterValue(int& nIndex);
    bool setShutterValue(int nIndex);
    bool shutterUp();
    bool shutterDown();
    std::string getUICommonFile(int LanguageId);
    std::string getUILanguageFile(int LanguageId);
    std::string getUIStyleFile();

  private:
    enum PairOutcome { PAIR_APPLIED, PAIR_DROPPED, PAIR_FAILED };

    int decideScheme(const SnsOperation& op);
    int decideBySchedule(const SnsOperation& op);
    int dayNightScheme();
    bool schemeInForce(int p_nScheme) const;
    bool isUserScheme(int p_nScheme) const;
    void beginSwitch(int p_nScheme);
    void endSwitch(int p_nResult);
    // init's steps, in their order, and the release of what they allocate.
    void readSysConf(const ModuleConfigure& p_objModuleConfigure, const SnsOperation& op);
    void allocateTables();
    void readFactorySet(const SnsOperation& op);
    void removeFilesOfOtherVersions(const SnsOperation& op);
    void detectLprDevice(const MachineInfo& p_objMachineInfo);
    void createSchemeFiles();
    KeyVal* newSchemeSet(u32 p_nScheme);
    void markFirstRecords();
    void buildKeyCmdTable();
    void startSchemes(const SnsOperation& op);
    void offerByStreams(const MachineInfo& p_objMachineInfo);
    void releaseTables();
    void applySchemeMode(int p_nMode);
    KeyVal* currentSet();
    // The cache operations with a position where the key is likely to be.
    int findRecord(u32 p_nScheme, u32 p_nKey, u32 p_nHint) const;
    int setKeyValToCacheAt(u32 p_nScheme, u32 p_nKey, u32 p_nVal, bool p_bForce, u32 p_nHint);
    int getKeyValFromCacheAt(u32 p_nScheme, u32 p_nKey, u32& p_nVal, u32 p_nHint);
    bool isKeyValSameAt(const KeyVal& p_stKeyVal, u32 p_nHint);
    void indexKeyCmdMap();
    int findKeyCmdRow(const keycmd* p_pKeyCmdMap, u32 p_nKey) const;
    u32 cachedValue(u32 p_nKey, u32 p_nFallback);
    PairOutcome applyPair(KeyVal& p_stPair, u32 p_nIndex, int& p_nRet, const SnsOperation& op);
    bool applyCamera2Direct(KeyVal& p_stPair);
    bool resolveLightType(const KeyVal& p_stPair, u32& p_nApplyKey);
    void copySharedValue(u32 p_nKey, int32_t p_nValue);
    int dispatch(KeyVal& p_stPair, u32 nKey, u32 p_nIndex, const SnsOperation& op);
    static keycmd fallbackRow(u32 nKey);
    void waitWhileBusy();
    bool versionSaved();
    bool lockedLensCommand(u32 p_nKey);
    bool setDirect(u32 p_nCmd, int p_nVal);
    bool getDirect(u32 p_nCmd, int& p_nVal);
    bool setExposureModeThen(u32 p_nCmd, int p_nVal);
    bool setLamp(u32 p_nOwnKey, int p_nSwitch, bool (ISensorController::*p_pGetOther)(int&),
                 bool (ISensorController::*p_pSetOther)(int));
    int shutterSteps(int* p_pSteps);
    bool currentShutterIndex(const int* p_pSteps, int p_nSteps, int& p_nIndex);
    bool stepShutter(int p_nStep);
    const UILanguage* findLanguage(int LanguageId, const SnsOperation& op);
    ModuleConfigure storedModuleConfigure() const;
    void readModuleConfigure(ModuleConfigure& p_objModuleConfigure) const;
    void setFlag(uint8_t p_nBit) { m_nFlags.fetch_or(p_nBit); }
    void clearFlag(uint8_t p_nBit) { m_nFlags.fetch_and(static_cast<uint8_t>(~p_nBit)); }
    bool hasFlag(uint8_t p_nMask) const { return (m_nFlags.load() & p_nMask) != 0; }

    SysConfig m_stSysConf;
    int m_nCameraID;
    TXMutex m_objMutex;
    GThread* m_pSensorThread;
    std::atomic<int> m_nLastScheme;
    std::atomic<int> m_nCurScheme;
    std::atomic<int> m_nParamMode;
    // The tables below are allocated together by allocateTables and released
    // by releaseTables. The rows: the user set of each scheme, then the
    // factory set (m_pFctKeyVal points at its row); m_nKeyValSum records each.
    KeyVal** m_ppUserKeyVal;
    // Room for a set of pairs parsed from text, or a file read to compare.
    KeyVal* m_pstKeyValTmp;
    KeyVal* m_pFctKeyVal;
    u32 m_nKeyValSum;
    // The licence-plate camera's copy of a set: night defaults, or mode 0.
    KeyVal* m_pstKeyValLpr;
    // Per row of m_ppUserKeyVal, per record: no earlier record of the row has
    // its key. Set once the rows are loaded; the rows' keys never change after.
    bool* m_pbFirstOfKey;
    keycmd* m_pKeyCmdMap;
    // m_pKeyCmdMap's keys in order, built with it: m_nKeyCmdIndexNum entries.
    keycmd_index* m_pKeyCmdIndex;
    u32 m_nKeyCmdIndexNum;
    u32 m_nVersion;
    const VideoStreamModule* m_pVideoStreamModule;
    MachineInfo m_objMachineInfo;
    std::atomic<uint8_t> m_nFlags;
    u32 m_nKeyCmdNum;
    std::atomic<int> m_nLastSchedule;
    std::atomic<bool> m_bLprDevice;
    std::atomic<bool> m_bShowWDRFalg;
    std::atomic<bool> m_bSchemeBySchedule;
    std::atomic<bool> m_bSchemeByDayNight;
    // The current scheme's switch failed part-way: the processor does not hold
    // the whole set yet, and the next tick applies it again.
    std::atomic<bool> m_bSwitchIncomplete;
    // The version file holds m_nVersion: saves made before it does would be
    // removed by the next start.
    std::atomic<bool> m_bVersionSaved;
    // Turns at m_objMutex between the host's operations and the sensor thread.
    WorkerTurn m_objTickTurn;
    SensorZoomFocusParam m_stZoomFocusParam;
    // The host replaces the zoom/focus parameters while the sensor thread's
    // commands read their lock.
    std::mutex m_objZoomFocusMutex;
};

#endif
