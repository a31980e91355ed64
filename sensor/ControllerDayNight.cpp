// Day/night, mirror, beaway: the handlers that merge a value with other
// cached keys, and the host's shortcuts to those keys and to the two offer
// flags.
#include <string.h>

#include "platform/ia_ioctrl.h"
#include "sensor/ControllerPrivate.h"

using namespace sensor_controller;

namespace {

int translateMirror(int mirror, int beaway) {
    if (beaway != 0 && (mirror == 1 || mirror == 2)) {
        return 3 - mirror;
    }
    return mirror;
}

}  // namespace

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
