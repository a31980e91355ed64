// The module's documented interface, checked when the tests are compiled: each
// list holds the operations of one documented type, and an operation whose
// arguments or result differ does not convert, which breaks this file's build.
#include "sensor/ISensorController.h"
#include "sensor/SensorFile.h"
#include "support/SensorDebug.h"

// clang-format off
typedef ISensorController C; typedef std::string S; typedef KeyVal* K; typedef TiXmlElement* E;
// M: an operation of the controller, F: a free function, each by result and arguments; Is names
// a type only when every operation of its list has exactly the type T.
template <class R, class... A> using M = R (C::*)(A...); template <class T, T...> using Is = int;
template <class R, class... A> using F = R (*)(A...); typedef const char* P;
// The lists as the parameters of a function type: naming it checks every one.
using Calls = F<void, Is<M<bool>, &C::getSensorStatus, &C::restoreAeMode, &C::resetToLastParameters,
&C::resetParameters, &C::focusFar, &C::focusNear, &C::irisUp, &C::irisDown, &C::zoomIn, &C::zoomOut,
&C::shutterUp, &C::shutterDown>, Is<M<bool, int>, &C::setParamScheme, &C::setParamMode,
&C::setDNMode, &C::setMirrorMode, &C::setZoomValue, &C::setPTZRunState, &C::setFocusValue,
&C::setFocusMode, &C::setIRSwitch, &C::setWhiteSwitch, &C::setWhiteMode, &C::setIrisValue,
&C::setShutterValue>, Is<M<bool, int&>, &C::getParamScheme, &C::getParamMode, &C::getDNMode,
&C::getMirrorValue, &C::getBeaway, &C::getFocusValue, &C::getFocusMode, &C::getDNState, &C::getWDR,
&C::getIRSwitch, &C::getWhiteSwitch, &C::getWhiteMode, &C::getIrisValue, &C::getShutterValue>,
Is<M<int>, &C::getSensorType, &C::sensorThread, &C::paramCheck, &C::flush>, Is<M<void>, &C::uinit,
&C::printDebugMsg>, Is<M<void, bool>, &C::setShowWDRFalg, &C::setShowBeawayFalg>, Is<M<bool, bool&>,
&C::getShowWDRFalg, &C::getShowBeawayFalg>, Is<M<bool, int, int&>, &C::getParameter,
&C::getCmdExecStatus>, Is<M<int, SensorZoomFocusParam&>, &C::getSensorZoomFocusParam,
&C::setSensorZoomFocusParam>, Is<M<S, int>, &C::getUICommonFile, &C::getUILanguageFile>,
Is<SensorHandler, &C::doIaCmd>, Is<M<int, u32, u32, void*>, &C::doIaCmd, &C::doIaCmd_User,
&C::doHwdr, &C::doImageAdjust, &C::doDIS, &C::doIaCmd_PanoTuning, &C::doDNThr, &C::doDNTime,
&C::doMirror, &C::doBeaway>, Is<M<bool, const ModuleConfigure&>, &C::init>, Is<M<void, int>,
&C::setChannelID>, Is<M<void, const VideoStreamModule*>, &C::setVideoStreamModule>, Is<M<int, int,
int>, &C::notifyToVideo>, Is<M<int, const keycmd*, u32, keycmd&>, &C::findFromKeyCmdMap>, Is<M<bool,
const S&, std::vector<S>&>, &C::parseSensorParameter>, Is<M<bool, const S&, S&>, &C::getParameters>,
Is<M<bool, S&>, &C::getAllParameters, &C::getCameraVerInf>, Is<M<int, S&>, &C::SensorCheck>,
Is<M<int, K, u32, bool>, &C::setParameters>, Is<M<int, const S&, bool>, &C::setParameters>,
Is<M<int, int, int, bool>, &C::setParameter>, Is<M<int, u32, u32, u32, bool>, &C::setKeyValToCache>,
Is<M<int, u32, u32, u32&>, &C::getKeyValFromCache>, Is<M<bool, const KeyVal&>, &C::isKeyValSame>,
Is<M<int, int, bool>, &C::switch_to>, Is<M<int, int>, &C::LPR_switch_to, &C::restore>, Is<M<int,
int&, int&>, &C::judgeCurScheme>, Is<M<bool, int&, int&>, &C::getZoomValue>, Is<M<bool, u32&>,
&C::getAFStatistic>, Is<M<bool, int, int&, S&>, &C::getSensorParamRange>, Is<M<S>,
&C::getUIStyleFile>, Is<F<void, const S&, K, u32*>, keyval_str2st>, Is<F<void, S&, K, u32>,
keyval_st2str>, Is<F<int, int, K, u32>, keyval_correct>, Is<F<void, bool>, setshowBeawayFalg>,
Is<F<bool>, getshowBeawayFalg>, Is<F<int, int, const ModuleConfigure&, SysConfig*>, initSysConf>,
Is<F<void, SysConfig*>, uinitSysConf>, Is<F<int, P, P, u32*>, getDetailFieldTou32>, Is<F<int, P, P,
char*>, getDetailFieldToStr>, Is<F<int, ModuleConfig*, char**, char*>, mergeStyle>, Is<F<int,
TiXmlDocument*, P, P, const TiXmlElement*>, updateStyleTab>, Is<F<int, int, P, S&, bool>,
getDnaStyle>, Is<F<int, E, int, const ia_dynamic_params_attr_st*>, doDnaStyle>, Is<F<int, E, int,
int&>, getDnaValbyCmdId>, Is<F<int, E, int, E&>, getNodebyCmdId>, Is<F<int, E, E>, DeleteNode>,
Is<F<int, E, int>, ModifyNodebyCmdId>, Is<F<int, E, K, u32*>, style2KeyVal>, Is<F<int, int, char*,
K, u32*, bool>, getFctData>, Is<F<INT64, P>, getFileLen>, Is<F<int, P, char*, INT64>, loadFromFile>,
Is<F<int, char*, char*, INT64>, saveToFile>, Is<F<int, char*, K, u32>, keyValFromFile,
keyValToFile>, Is<F<int, u32*>, getVersion>, Is<F<int, u32>, setVersion>, Is<F<void>,
updateDebugLevel>, Is<F<int32_t, int32_t, ia_cmd_e, ia_cmd_opt_e, void*>, ia_ioctrl_v2>>;
// clang-format on
