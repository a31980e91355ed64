// The controller's public operations as commands, in the order of their
// families: each prints its result, then its outputs.
#include <stdint.h>
#include <string.h>

#include "Commands.h"
#include "KeyNames.h"
#include "Session.h"

namespace {

typedef bool (ISensorController::*GetInt)(int&);
typedef bool (ISensorController::*SetInt)(int);
typedef bool (ISensorController::*Action)();
typedef int (ISensorController::*Handler)(u32, u32, void*);

std::string str(int value) {
    return std::to_string(value);
}

Command getter(const char* name, GetInt method, const char* help) {
    return {name, "", help, [method](Session& s, const Args&) {
                int value = 0;
                bool ok = (s.controller().*method)(value);
                s.answer(yesNo(ok) + " " + str(value));
            }};
}

Command setter(const char* name, SetInt method, const char* param, const char* help) {
    return {name, param, help, [method](Session& s, const Args& a) {
                s.answer(yesNo((s.controller().*method)(a.number(0))));
            }};
}

Command action(const char* name, Action method, const char* help) {
    return {name, "", help,
            [method](Session& s, const Args&) { s.answer(yesNo((s.controller().*method)())); }};
}

// A handler with room for any record the processor may fill in; prints the
// result and the first word.
Command handler(const char* name, Handler method) {
    return {name, "KEY DIR [VALUE]", "call the handler (DIR 0 set, 1 get); prints result and value",
            [method](Session& s, const Args& a) {
                int32_t words[128];
                memset(words, 0, sizeof(words));
                words[0] = a.number(2);
                int result = (s.controller().*method)(static_cast<u32>(a.number(0)),
                                                      static_cast<u32>(a.number(1)), words);
                s.answer(str(result) + " " + str(words[0]));
            }};
}

std::string fieldText(const char* text, size_t room) {
    return std::string(text, strnlen(text, room));
}

void addLifecycle(CommandTable& t) {
    t.push_back({"init", "", "initialise with the camera's module configuration",
                 [](Session& s, const Args&) {
                     s.answer(yesNo(s.controller().init(s.moduleConfigure())));
                 }});
    t.push_back(
        {"uinit", "", "stop the sensor thread and release the tables", [](Session& s, const Args&) {
             s.controller().uinit();
             s.answer("ok");
         }});
    t.push_back(
        {"setChannelID", "CHANNEL", "set the channel number", [](Session& s, const Args& a) {
             s.controller().setChannelID(a.number(0));
             s.answer("ok");
         }});
    t.push_back({"getSensorType", "", "the module id",
                 [](Session& s, const Args&) { s.answer(str(s.controller().getSensorType())); }});
    t.push_back(
        {"getSensorStatus", "", "whether the controller is initialised",
         [](Session& s, const Args&) { s.answer(yesNo(s.controller().getSensorStatus())); }});
    t.push_back({"setVideoStreamModule", "", "hand the recording video module over again",
                 [](Session& s, const Args&) {
                     s.controller().setVideoStreamModule(&s.video());
                     s.answer("ok");
                 }});
    t.push_back(
        {"notifyToVideo", "KEY VALUE", "notify the video module", [](Session& s, const Args& a) {
             s.answer(str(s.controller().notifyToVideo(a.number(0), a.number(1))));
         }});
    t.push_back({"printDebugMsg", "", "does nothing", [](Session& s, const Args&) {
                     s.controller().printDebugMsg();
                     s.answer("ok");
                 }});
}

void addLookupAndText(CommandTable& t) {
    t.push_back({"findFromKeyCmdMap", "KEY", "the map row: result, key, command, name, handler",
                 [](Session& s, const Args& a) {
                     keycmd row;
                     memset(&row, 0, sizeof(row));
                     int result = s.controller().findFromKeyCmdMap(keyCmdMap(), a.number(0), row);
                     s.answer(str(result) + " " + std::to_string(row.key) + " " +
                              std::to_string(row.ia_cmd) + " " +
                              fieldText(row.name, sizeof(row.name)) + " " +
                              fieldText(row.func, sizeof(row.func)));
                 }});
    t.push_back({"sensorThread", "", "one tick of the sensor thread, on this thread",
                 [](Session& s, const Args&) { s.answer(str(s.controller().sensorThread())); }});
    t.push_back(
        {"parseSensorParameter", "IDS", "the fields of a key list", [](Session& s, const Args& a) {
             std::vector<std::string> fields;
             bool ok = s.controller().parseSensorParameter(a.text(0), fields);
             s.answer(joined({yesNo(ok), joined(fields)}));
         }});
    t.push_back({"getParameters", "IDS", "the current values of a key list, e.g. \"(34,2337)\"",
                 [](Session& s, const Args& a) {
                     std::string text;
                     bool ok = s.controller().getParameters(a.text(0), text);
                     s.answer(joined({yesNo(ok), text}));
                 }});
    t.push_back(
        {"getAllParameters", "", "every value of the current scheme", [](Session& s, const Args&) {
             std::string text;
             bool ok = s.controller().getAllParameters(text);
             s.answer(joined({yesNo(ok), text}));
         }});
    t.push_back({"SensorCheck", "IDS", "the sensor-check answer (the list, replaced on a read)",
                 [](Session& s, const Args& a) {
                     std::string text = a.text(0);
                     int result = s.controller().SensorCheck(text);
                     s.answer(joined({str(result), text}));
                 }});
}

void addParameters(CommandTable& t) {
    t.push_back({"setParameters", "PAIRS SAVE", "apply pairs, e.g. \"(34,50)(2337,60)\" 1",
                 [](Session& s, const Args& a) {
                     s.answer(str(s.controller().setParameters(a.text(0), a.flag(1))));
                 }});
    t.push_back(
        {"setParameter", "KEY VALUE SAVE", "apply one value", [](Session& s, const Args& a) {
             s.answer(str(s.controller().setParameter(a.number(0), a.number(1), a.flag(2))));
         }});
    t.push_back({"getParameter", "KEY", "one current value", [](Session& s, const Args& a) {
                     int value = 0;
                     bool ok = s.controller().getParameter(a.number(0), value);
                     s.answer(yesNo(ok) + " " + str(value));
                 }});
    t.push_back({"setKeyValToCache", "SCHEME KEY VALUE FORCE", "write a cached value",
                 [](Session& s, const Args& a) {
                     s.answer(str(s.controller().setKeyValToCache(a.number(0), a.number(1),
                                                                  a.number(2), a.flag(3))));
                 }});
    t.push_back(
        {"getKeyValFromCache", "SCHEME KEY", "read a cached value", [](Session& s, const Args& a) {
             u32 value = 0;
             int result = s.controller().getKeyValFromCache(a.number(0), a.number(1), value);
             s.answer(str(result) + " " + std::to_string(value));
         }});
    t.push_back({"isKeyValSame", "KEY VALUE", "whether the pair equals the current value",
                 [](Session& s, const Args& a) {
                     KeyVal pair = {static_cast<u32>(a.number(0)), a.number(1)};
                     s.answer(yesNo(s.controller().isKeyValSame(pair)));
                 }});
    t.push_back({"getCmdExecStatus", "CMD", "whether the processor finished a command",
                 [](Session& s, const Args& a) {
                     int status = 0;
                     bool ok = s.controller().getCmdExecStatus(a.number(0), status);
                     s.answer(yesNo(ok) + " " + str(status));
                 }});
}

void addSchemes(CommandTable& t) {
    t.push_back(
        {"switch_to", "SCHEME [FORCE]", "switch to a scheme", [](Session& s, const Args& a) {
             s.answer(str(s.controller().switch_to(a.number(0), a.flag(1))));
         }});
    t.push_back(
        {"LPR_switch_to", "SCHEME", "the licence-plate switch", [](Session& s, const Args& a) {
             s.answer(str(s.controller().LPR_switch_to(a.number(0))));
         }});
    t.push_back(setter("setParamScheme", &ISensorController::setParamScheme, "SCHEME",
                       "make a scheme current"));
    t.push_back(getter("getParamScheme", &ISensorController::getParamScheme, "the current scheme"));
    t.push_back(setter("setParamMode", &ISensorController::setParamMode, "MODE",
                       "automatic switching on (1) or off (0)"));
    t.push_back(getter("getParamMode", &ISensorController::getParamMode, "automatic switching"));
    t.push_back({"judgeCurScheme", "", "result, the scheme the time asks for, in-window",
                 [](Session& s, const Args&) {
                     int scheme = 0;
                     int schedule = 0;
                     int result = s.controller().judgeCurScheme(scheme, schedule);
                     s.answer(str(result) + " " + str(scheme) + " " + str(schedule));
                 }});
    t.push_back({"paramCheck", "", "check the scheme windows",
                 [](Session& s, const Args&) { s.answer(str(s.controller().paramCheck())); }});
}

void addRestoreAndReset(CommandTable& t) {
    t.push_back(
        {"restore", "KEY", "restore a key group's factory values",
         [](Session& s, const Args& a) { s.answer(str(s.controller().restore(a.number(0)))); }});
    t.push_back(
        action("restoreAeMode", &ISensorController::restoreAeMode, "restore exposure mode"));
    t.push_back(action("resetParameters", &ISensorController::resetParameters,
                       "delete the parameter files and start again"));
    t.push_back(action("resetToLastParameters", &ISensorController::resetToLastParameters,
                       "go back to the saved values of the current scheme"));
    t.push_back({"flush", "", "save the current scheme's set", [](Session& s, const Args&) {
                     int saved = s.controller().flush();
                     s.answer(str(saved));
                     s.countProblems(saved != 0 ? 1 : 0);  // nothing saved: the run fails
                 }});
}

void addHandlers(CommandTable& t) {
    t.push_back(handler("doIaCmd", &ISensorController::doIaCmd));
    t.push_back(handler("doIaCmd_User", &ISensorController::doIaCmd_User));
    t.push_back(handler("doHwdr", &ISensorController::doHwdr));
    t.push_back(handler("doImageAdjust", &ISensorController::doImageAdjust));
    t.push_back(handler("doDIS", &ISensorController::doDIS));
    t.push_back(handler("doIaCmd_PanoTuning", &ISensorController::doIaCmd_PanoTuning));
    t.push_back(handler("doDNThr", &ISensorController::doDNThr));
    t.push_back(handler("doDNTime", &ISensorController::doDNTime));
    t.push_back(handler("doMirror", &ISensorController::doMirror));
    t.push_back(handler("doBeaway", &ISensorController::doBeaway));
}

void addDayNightMirror(CommandTable& t) {
    t.push_back(getter("getDNMode", &ISensorController::getDNMode, "day/night mode"));
    t.push_back(setter("setDNMode", &ISensorController::setDNMode, "MODE", "set day/night mode"));
    t.push_back(getter("getMirrorValue", &ISensorController::getMirrorValue, "mirror value"));
    t.push_back(setter("setMirrorMode", &ISensorController::setMirrorMode, "MIRROR", "set mirror"));
    t.push_back(getter("getBeaway", &ISensorController::getBeaway, "beaway value"));
    t.push_back(
        {"setShowWDRFalg", "SHOW", "offer wide dynamic range", [](Session& s, const Args& a) {
             s.controller().setShowWDRFalg(a.flag(0));
             s.answer("ok");
         }});
    t.push_back({"getShowWDRFalg", "", "whether wide dynamic range is offered",
                 [](Session& s, const Args&) {
                     bool show = false;
                     bool ok = s.controller().getShowWDRFalg(show);
                     s.answer(yesNo(ok) + " " + yesNo(show));
                 }});
    t.push_back({"setShowBeawayFalg", "SHOW", "offer beaway", [](Session& s, const Args& a) {
                     s.controller().setShowBeawayFalg(a.flag(0));
                     s.answer("ok");
                 }});
    t.push_back({"getShowBeawayFalg", "", "whether beaway is offered", [](Session& s, const Args&) {
                     bool show = false;
                     bool ok = s.controller().getShowBeawayFalg(show);
                     s.answer(yesNo(ok) + " " + yesNo(show));
                 }});
}

void addLens(CommandTable& t) {
    typedef ISensorController C;
    t.push_back(action("focusFar", &C::focusFar, "one focus step far"));
    t.push_back(action("focusNear", &C::focusNear, "one focus step near"));
    t.push_back(action("irisUp", &C::irisUp, "open the iris one step"));
    t.push_back(action("irisDown", &C::irisDown, "close the iris one step"));
    t.push_back(action("zoomIn", &C::zoomIn, "one zoom step in"));
    t.push_back(action("zoomOut", &C::zoomOut, "one zoom step out"));
    t.push_back(
        {"getZoomValue", "", "zoom position and magnification x 1000", [](Session& s, const Args&) {
             int position = 0;
             int ratio = 0;
             bool ok = s.controller().getZoomValue(position, ratio);
             s.answer(yesNo(ok) + " " + str(position) + " " + str(ratio));
         }});
    t.push_back(setter("setZoomValue", &C::setZoomValue, "POSITION", "zoom position"));
    t.push_back(setter("setPTZRunState", &C::setPTZRunState, "STATE", "tell whether PTZ runs"));
    t.push_back(setter("setFocusValue", &C::setFocusValue, "POSITION", "focus position"));
    t.push_back(getter("getFocusValue", &C::getFocusValue, "focus position"));
    t.push_back(setter("setFocusMode", &C::setFocusMode, "MODE", "focus mode"));
    t.push_back(getter("getFocusMode", &C::getFocusMode, "focus mode"));
    t.push_back(getter("getDNState", &C::getDNState, "day (0) or night (1) as the sensor sees it"));
    t.push_back({"getAFStatistic", "", "auto-focus statistic", [](Session& s, const Args&) {
                     unsigned int value = 0;
                     bool ok = s.controller().getAFStatistic(value);
                     s.answer(yesNo(ok) + " " + std::to_string(value));
                 }});
    t.push_back(getter("getWDR", &C::getWDR, "wide dynamic range state"));
    t.push_back({"getCameraVerInf", "", "the sensor's version text", [](Session& s, const Args&) {
                     std::string text;
                     bool ok = s.controller().getCameraVerInf(text);
                     s.answer(joined({yesNo(ok), text}));
                 }});
    t.push_back(
        {"getSensorZoomFocusParam", "", "result and the lens lock", [](Session& s, const Args&) {
             SensorZoomFocusParam param;
             int result = s.controller().getSensorZoomFocusParam(param);
             s.answer(str(result) + " " + yesNo(param.getLockZoomFocusEnable()));
         }});
    t.push_back({"setSensorZoomFocusParam", "LOCK", "lock (1) or free (0) the lens",
                 [](Session& s, const Args& a) {
                     SensorZoomFocusParam param;
                     param.setLockZoomFocusEnable(a.flag(0));
                     s.answer(str(s.controller().setSensorZoomFocusParam(param)));
                 }});
    t.push_back({"getSensorParamRange", "CMD", "the sensor's default and accepted values",
                 [](Session& s, const Args& a) {
                     int fallback = 0;
                     std::string range;
                     bool ok = s.controller().getSensorParamRange(a.number(0), fallback, range);
                     s.answer(joined({yesNo(ok), str(fallback), range}));
                 }});
}

void addLightsAndExposure(CommandTable& t) {
    typedef ISensorController C;
    t.push_back(getter("getIRSwitch", &C::getIRSwitch, "infrared lamp"));
    t.push_back(setter("setIRSwitch", &C::setIRSwitch, "SWITCH", "infrared lamp on/off"));
    t.push_back(getter("getWhiteSwitch", &C::getWhiteSwitch, "white lamp"));
    t.push_back(setter("setWhiteSwitch", &C::setWhiteSwitch, "SWITCH", "white lamp on/off"));
    t.push_back(getter("getWhiteMode", &C::getWhiteMode, "white lamp mode"));
    t.push_back(setter("setWhiteMode", &C::setWhiteMode, "MODE", "white lamp mode"));
    t.push_back(getter("getIrisValue", &C::getIrisValue, "iris position"));
    t.push_back(setter("setIrisValue", &C::setIrisValue, "IRIS", "iris position"));
    t.push_back(getter("getShutterValue", &C::getShutterValue, "shutter step index"));
    t.push_back(setter("setShutterValue", &C::setShutterValue, "INDEX", "shutter step index"));
    t.push_back(action("shutterUp", &C::shutterUp, "one shutter step faster"));
    t.push_back(action("shutterDown", &C::shutterDown, "one shutter step slower"));
}

void addUserInterface(CommandTable& t) {
    t.push_back(
        {"getUICommonFile", "LANGUAGE", "the common page of a language",
         [](Session& s, const Args& a) { s.answer(s.controller().getUICommonFile(a.number(0))); }});
    t.push_back({"getUILanguageFile", "LANGUAGE", "the language file of a language",
                 [](Session& s, const Args& a) {
                     s.answer(s.controller().getUILanguageFile(a.number(0)));
                 }});
    t.push_back({"getUIStyleFile", "", "the image-settings page tailored to the sensor",
                 [](Session& s, const Args&) { s.answer(s.controller().getUIStyleFile()); }});
}

}  // namespace

void addControllerCommands(CommandTable& table) {
    addLifecycle(table);
    addLookupAndText(table);
    addParameters(table);
    addSchemes(table);
    addRestoreAndReset(table);
    addHandlers(table);
    addDayNightMirror(table);
    addLens(table);
    addLightsAndExposure(table);
    addUserInterface(table);
}
