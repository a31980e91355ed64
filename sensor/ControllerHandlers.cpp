// The image-algorithm handlers: the base handler through which every command
// reaches the processor, and the handlers that add to it a user-action guard,
// the video module's notifications, or the video module alone.
#include <string.h>

#include "platform/ia_ioctrl.h"
#include "sensor/ControllerPrivate.h"

using namespace sensor_controller;

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
    SNS_ASSERT_AS(SNS_SUCCESS == notifyToVideo(static_cast<int>(p_nKey), wordAt(p_pVal)),
                  "SNS_SUCCESS == notifyToVideo(p_nKey, *(u32*)p_pVal)");
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
