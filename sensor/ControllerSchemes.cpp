// Schemes: switching the current scheme, the licence-plate camera's switch,
// the host's choice of scheme and mode, and the schedule's windows.
#include <string.h>
#include <time.h>

#include "platform/TXDeviceTime.h"
#include "sensor/ControllerPrivate.h"

using namespace sensor_controller;

namespace {

// Window records of every set, by position.
enum { POS_START_HOUR = 1, POS_START_MIN = 2, POS_END_HOUR = 3, POS_END_MIN = 4 };

u32 clockNumber(const KeyVal* set, int hourPos, int minutePos) {
    return 100u * static_cast<u32>(set[hourPos].value) + static_cast<u32>(set[minutePos].value);
}

}  // namespace

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

void ISensorController::applySchemeMode(int p_nMode) {
    m_bSchemeBySchedule = p_nMode == 1;
    m_bSchemeByDayNight = p_nMode == 2;
}
