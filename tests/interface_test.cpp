// The module's documented interface, checked when the tests are compiled: each
// operation must bind to a pointer of exactly its documented type (arguments
// and result), each global and record field must have its documented type. A
// change that breaks a call written against the documentation breaks this
// file's build.
#include <stddef.h>
#include <stdint.h>

#include <exception>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/GThread.h"
#include "platform/ia_ioctrl.h"
#include "sensor/ISensorController.h"
#include "sensor/SensorFile.h"
#include "sensor/SensorKeyVal.h"
#include "sensor/SensorKeys.h"
#include "sensor/sensor.h"
#include "support/SensorDebug.h"
#include "support/TXMutexManager.h"
#include "support/TXRuntimeError.h"
#include "support/function.h"

namespace {

// Compiles only when the operation converts to T without an overload or a
// conversion other than the one T names exactly.
template <typename T>
constexpr bool binds(T) {
    return true;
}

typedef ISensorController C;

// --- lifecycle, channel, video link
static_assert(binds<bool (C::*)(const ModuleConfigure&)>(&C::init), "init");
static_assert(binds<void (C::*)()>(&C::uinit), "uinit");
static_assert(binds<void (C::*)(int)>(&C::setChannelID), "setChannelID");
static_assert(binds<int (C::*)()>(&C::getSensorType), "getSensorType");
static_assert(binds<bool (C::*)()>(&C::getSensorStatus), "getSensorStatus");
static_assert(binds<void (C::*)(const VideoStreamModule*)>(&C::setVideoStreamModule), "");
static_assert(binds<int (C::*)(int, int)>(&C::notifyToVideo), "notifyToVideo");
static_assert(binds<void (C::*)()>(&C::printDebugMsg), "printDebugMsg");
static_assert(binds<int (C::*)(const keycmd*, u32, keycmd&)>(&C::findFromKeyCmdMap), "");
static_assert(binds<int (C::*)()>(&C::sensorThread), "sensorThread");

// --- parameter text
static_assert(
    binds<bool (C::*)(const std::string&, std::vector<std::string>&)>(&C::parseSensorParameter),
    "parseSensorParameter");
static_assert(binds<bool (C::*)(const std::string&, std::string&)>(&C::getParameters), "");
static_assert(binds<bool (C::*)(std::string&)>(&C::getAllParameters), "getAllParameters");
static_assert(binds<int (C::*)(std::string&)>(&C::SensorCheck), "SensorCheck");
static_assert(binds<void (*)(const std::string&, KeyVal*, u32*)>(&keyval_str2st), "");
static_assert(binds<void (*)(std::string&, KeyVal*, u32)>(&keyval_st2str), "keyval_st2str");
static_assert(binds<int (*)(int, KeyVal*, u32)>(&keyval_correct), "keyval_correct");

// --- setting and reading parameters
static_assert(binds<int (C::*)(KeyVal*, u32, bool)>(&C::setParameters), "setParameters");
static_assert(binds<int (C::*)(const std::string&, bool)>(&C::setParameters), "");
static_assert(binds<int (C::*)(int, int, bool)>(&C::setParameter), "setParameter");
static_assert(binds<bool (C::*)(int, int&)>(&C::getParameter), "getParameter");
static_assert(binds<int (C::*)(u32, u32, u32, bool)>(&C::setKeyValToCache), "");
static_assert(binds<int (C::*)(u32, u32, u32&)>(&C::getKeyValFromCache), "");
static_assert(binds<bool (C::*)(const KeyVal&)>(&C::isKeyValSame), "isKeyValSame");
static_assert(binds<bool (C::*)(int, int&)>(&C::getCmdExecStatus), "getCmdExecStatus");

// --- schemes
static_assert(binds<int (C::*)(int, bool)>(&C::switch_to), "switch_to");
static_assert(binds<int (C::*)(int)>(&C::LPR_switch_to), "LPR_switch_to");
static_assert(binds<bool (C::*)(int)>(&C::setParamScheme), "setParamScheme");
static_assert(binds<bool (C::*)(int&)>(&C::getParamScheme), "getParamScheme");
static_assert(binds<bool (C::*)(int)>(&C::setParamMode), "setParamMode");
static_assert(binds<bool (C::*)(int&)>(&C::getParamMode), "getParamMode");
static_assert(binds<int (C::*)(int&, int&)>(&C::judgeCurScheme), "judgeCurScheme");
static_assert(binds<int (C::*)()>(&C::paramCheck), "paramCheck");

// --- restore, reset, flush
static_assert(binds<int (C::*)()>(&C::flush), "flush");
static_assert(binds<int (C::*)(int)>(&C::restore), "restore");
static_assert(binds<bool (C::*)()>(&C::restoreAeMode), "restoreAeMode");
static_assert(binds<bool (C::*)()>(&C::resetToLastParameters), "resetToLastParameters");
static_assert(binds<bool (C::*)()>(&C::resetParameters), "resetParameters");

// --- handlers: the shape of the key-command map's handler column
typedef int (C::*Handler)(u32, u32, void*);
static_assert(std::is_same<SensorHandler, Handler>::value, "handler shape");
static_assert(binds<Handler>(&C::doIaCmd) && binds<Handler>(&C::doIaCmd_User) &&
                  binds<Handler>(&C::doHwdr) && binds<Handler>(&C::doImageAdjust) &&
                  binds<Handler>(&C::doDIS) && binds<Handler>(&C::doIaCmd_PanoTuning) &&
                  binds<Handler>(&C::doDNThr) && binds<Handler>(&C::doDNTime) &&
                  binds<Handler>(&C::doMirror) && binds<Handler>(&C::doBeaway),
              "handlers");

// --- day/night, mirror, beaway
static_assert(binds<bool (C::*)(int&)>(&C::getDNMode), "getDNMode");
static_assert(binds<bool (C::*)(int)>(&C::setDNMode), "setDNMode");
static_assert(binds<bool (C::*)(int&)>(&C::getMirrorValue), "getMirrorValue");
static_assert(binds<bool (C::*)(int)>(&C::setMirrorMode), "setMirrorMode");
static_assert(binds<bool (C::*)(int&)>(&C::getBeaway), "getBeaway");
static_assert(binds<void (C::*)(bool)>(&C::setShowWDRFalg), "setShowWDRFalg");
static_assert(binds<bool (C::*)(bool&)>(&C::getShowWDRFalg), "getShowWDRFalg");
static_assert(binds<void (C::*)(bool)>(&C::setShowBeawayFalg), "setShowBeawayFalg");
static_assert(binds<bool (C::*)(bool&)>(&C::getShowBeawayFalg), "getShowBeawayFalg");
static_assert(binds<void (*)(bool)>(&setshowBeawayFalg), "setshowBeawayFalg");
static_assert(binds<bool (*)()>(&getshowBeawayFalg), "getshowBeawayFalg");

// --- lens, exposure, lights, user-interface files
typedef bool (C::*Step)();
static_assert(binds<Step>(&C::focusFar) && binds<Step>(&C::focusNear) && binds<Step>(&C::irisUp) &&
                  binds<Step>(&C::irisDown) && binds<Step>(&C::zoomIn) &&
                  binds<Step>(&C::zoomOut) && binds<Step>(&C::shutterUp) &&
                  binds<Step>(&C::shutterDown),
              "steps");
typedef bool (C::*SetInt)(int);
static_assert(binds<SetInt>(&C::setZoomValue) && binds<SetInt>(&C::setPTZRunState) &&
                  binds<SetInt>(&C::setFocusValue) && binds<SetInt>(&C::setFocusMode) &&
                  binds<SetInt>(&C::setIRSwitch) && binds<SetInt>(&C::setWhiteSwitch) &&
                  binds<SetInt>(&C::setWhiteMode) && binds<SetInt>(&C::setIrisValue) &&
                  binds<SetInt>(&C::setShutterValue),
              "setters");
typedef bool (C::*GetInt)(int&);
static_assert(binds<GetInt>(&C::getFocusValue) && binds<GetInt>(&C::getFocusMode) &&
                  binds<GetInt>(&C::getDNState) && binds<GetInt>(&C::getWDR) &&
                  binds<GetInt>(&C::getIRSwitch) && binds<GetInt>(&C::getWhiteSwitch) &&
                  binds<GetInt>(&C::getWhiteMode) && binds<GetInt>(&C::getIrisValue) &&
                  binds<GetInt>(&C::getShutterValue),
              "getters");
static_assert(binds<bool (C::*)(int&, int&)>(&C::getZoomValue), "getZoomValue");
static_assert(binds<bool (C::*)(unsigned int&)>(&C::getAFStatistic), "getAFStatistic");
static_assert(binds<bool (C::*)(std::string&)>(&C::getCameraVerInf), "getCameraVerInf");
static_assert(binds<int (C::*)(SensorZoomFocusParam&)>(&C::getSensorZoomFocusParam), "");
static_assert(binds<int (C::*)(SensorZoomFocusParam&)>(&C::setSensorZoomFocusParam), "");
static_assert(binds<bool (C::*)(int, int&, std::string&)>(&C::getSensorParamRange), "");
static_assert(binds<std::string (C::*)(int)>(&C::getUICommonFile), "getUICommonFile");
static_assert(binds<std::string (C::*)(int)>(&C::getUILanguageFile), "getUILanguageFile");
static_assert(binds<std::string (C::*)()>(&C::getUIStyleFile), "getUIStyleFile");

// --- system configuration, style merge, dynamic style, files
static_assert(binds<int (*)(int, const ModuleConfigure&, SysConfig*)>(&initSysConf), "");
static_assert(binds<void (*)(SysConfig*)>(&uinitSysConf), "uinitSysConf");
static_assert(binds<int (*)(const char*, const char*, u32*)>(&getDetailFieldTou32), "");
static_assert(binds<int (*)(const char*, const char*, char*)>(&getDetailFieldToStr), "");
static_assert(binds<int (*)(ModuleConfig*, char**, char*)>(&mergeStyle), "mergeStyle");
static_assert(
    binds<int (*)(TiXmlDocument*, const char*, const char*, const TiXmlElement*)>(&updateStyleTab),
    "updateStyleTab");
static_assert(binds<int (*)(int, const char*, std::string&, bool)>(&getDnaStyle), "");
static_assert(binds<int (*)(TiXmlElement*, int, const ia_dynamic_params_attr_st*)>(&doDnaStyle),
              "doDnaStyle");
static_assert(binds<int (*)(TiXmlElement*, int, int&)>(&getDnaValbyCmdId), "");
static_assert(binds<int (*)(TiXmlElement*, int, TiXmlElement*&)>(&getNodebyCmdId), "");
static_assert(binds<int (*)(TiXmlElement*, TiXmlElement*)>(&DeleteNode), "DeleteNode");
static_assert(binds<int (*)(TiXmlElement*, int)>(&ModifyNodebyCmdId), "ModifyNodebyCmdId");
static_assert(binds<int (*)(TiXmlElement*, KeyVal*, u32*)>(&style2KeyVal), "style2KeyVal");
static_assert(binds<int (*)(int, char*, KeyVal*, u32*, bool)>(&getFctData), "getFctData");
static_assert(binds<INT64 (*)(const char*)>(&getFileLen), "getFileLen");
static_assert(binds<int (*)(const char*, char*, INT64)>(&loadFromFile), "loadFromFile");
static_assert(binds<int (*)(char*, char*, INT64)>(&saveToFile), "saveToFile");
static_assert(binds<int (*)(char*, KeyVal*, u32)>(&keyValFromFile), "keyValFromFile");
static_assert(binds<int (*)(char*, KeyVal*, u32)>(&keyValToFile), "keyValToFile");
static_assert(binds<int (*)(u32*)>(&getVersion), "getVersion");
static_assert(binds<int (*)(u32)>(&setVersion), "setVersion");

// --- diagnostics: globals as the firmware declares them
static_assert(std::is_same<decltype(g_nDebugLevel), int32_t>::value, "g_nDebugLevel");
static_assert(std::is_same<decltype(g_bEnAssert), bool>::value, "g_bEnAssert");
static_assert(std::is_same<decltype(g_bShoWBeawayFalg), bool>::value, "g_bShoWBeawayFalg");
static_assert(binds<void (*)()>(&updateDebugLevel), "updateDebugLevel");
static_assert(std::is_constructible<TXMutexManager, TXMutex&, const char*, int>::value, "");
static_assert(std::is_base_of<std::exception, TXRuntimeError>::value &&
                  std::is_constructible<TXRuntimeError, const char*>::value,
              "TXRuntimeError");
static_assert(
    std::is_constructible<GThread, function<int>, const char*, function<int>, function<int>>::value,
    "GThread");

// --- records
static_assert(sizeof(KeyVal) == 8 && offsetof(KeyVal, key) == 0 && offsetof(KeyVal, value) == 4,
              "KeyVal");
static_assert(std::is_same<decltype(KeyVal::key), u32>::value &&
                  std::is_same<decltype(KeyVal::value), int32_t>::value,
              "KeyVal fields");
static_assert(offsetof(keycmd, key) == 0 && offsetof(keycmd, ia_cmd) == 4 &&
                  offsetof(keycmd, handler) < offsetof(keycmd, name) &&
                  offsetof(keycmd, name) + 32 == offsetof(keycmd, func) &&
                  sizeof(keycmd::name) == 32 && sizeof(keycmd::func) == 64,
              "keycmd");
static_assert(offsetof(SysConfig, moduleConfig) == 0 &&
                  offsetof(SysConfig, nSchemeSum) < offsetof(SysConfig, nUILanguageNum) &&
                  offsetof(SysConfig, nUILanguageNum) < offsetof(SysConfig, pstUILanguage) &&
                  offsetof(SysConfig, pstUILanguage) < offsetof(SysConfig, szUIStyle) &&
                  offsetof(SysConfig, szUIStyle) < offsetof(SysConfig, nDeviceType),
              "SysConfig order");
static_assert(std::is_same<decltype(SysConfig::nSchemeSum), u32>::value &&
                  std::is_same<decltype(SysConfig::szUIStyle), char*>::value &&
                  std::is_same<decltype(SysConfig::nDeviceType), int32_t>::value,
              "SysConfig fields");
static_assert(sizeof(ModuleConfig::szSpare1) == 32 && sizeof(ModuleConfig::szSpare2) == 10 &&
                  sizeof(ModuleConfig::szParameters) == 256 &&
                  sizeof(ModuleConfig::szDetail) == 512 && offsetof(ModuleConfig, nModuleId) == 0,
              "ModuleConfig");
static_assert(std::is_same<decltype(UILanguage::szLanguageFile), char*>::value &&
                  std::is_same<decltype(UILanguage::szCommonFile), char*>::value &&
                  sizeof(UILanguage::szLabel) == 32,
              "UILanguage");
static_assert(sizeof(ia_dynamic_params_cmds_st) == 68 && sizeof(ia_dynamic_params_attr_st) == 276 &&
                  offsetof(ia_dynamic_params_attr_st, items_cnt) == 16 &&
                  offsetof(ia_dynamic_params_attr_st, item) == 20,
              "processor records");
static_assert(binds<int32_t (*)(int32_t, ia_cmd_e, ia_cmd_opt_e, void*)>(&ia_ioctrl_v2), "");

// --- key names, as the map gives them
static_assert(KEY_BRIGHTNESS == 34 && KEY_SCHEME_MODE == 8000 && KEY_LIGHT_TYPE == 224 &&
                  KEY_MIXSTREAM_DISTANCE_WIDTH_OFFSET == 8102 && KEY_IRIS_UP == 17 &&
                  KEY_WHITE_MANUAL_STRG_FAR_INTELL == 205,
              "key names");

}  // namespace
