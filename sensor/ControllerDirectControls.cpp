// Lens, exposure, lamps and shutter: the host's direct controls, which go to
// the processor without the parameter pipeline (or through setParameter where
// the choice is saved).
#include <stdio.h>
#include <string.h>

#include <string>

#include "platform/StringHandler.h"
#include "platform/ia_ioctrl.h"
#include "sensor/ControllerPrivate.h"

namespace {

const u32 kLensCommandFirst = IA_CMD_AUTO_FOCUS_MODE;
const u32 kLensCommandLast = IA_CMD_LENS_RESET;
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
    bool listed =
        SNS_ASSERT_AS(SNS_SUCCESS == ia_ioctrl_v2(m_nCameraID - 1, IA_CMD_DYNAMIC_PARAMS_CMDS_GET,
                                                  IA_CMD_OPT_GET, &dnaCmdList),
                      "SNS_SUCCESS == ia_ioctrl_v2(m_nCameraID-1, "
                      "IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, "
                      "(void*)(&dnaCmdList))");
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
    if (!SNS_ASSERT_AS(SNS_SUCCESS == doIaCmd(p_nCmd, IA_CMD_OPT_GET_PARAM_RNAGE, &stDynamicParam),
                       "SNS_SUCCESS == doIaCmd(p_nCmd, IA_CMD_OPT_GET_PARAM_RNAGE, "
                       "(void*)(&stDynamicParam))")) {
        return false;
    }
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
