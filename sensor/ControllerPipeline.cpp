// Setting and reading parameters: a batch of pairs goes pair by pair through
// applyPair (recorded-only keys, the scheme mode, camera 2's direct keys, the
// light type), then dispatch (the key's handler from the key-command map),
// then copySharedValue (values two records share); the cache records what the
// sensor took.
#include <stdio.h>

#include "platform/ia_ioctrl.h"
#include "sensor/ControllerPrivate.h"

using namespace sensor_controller;

namespace {

const int kLightTypeIntelligent = 2;

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

// Scheme mode of a KEY_SCHEME_MODE value: 1 schedule, 2 day/night, else fixed.
int schemeModeOf(int value) {
    return value == 1 || value == 2 ? value : 0;
}

}  // namespace

bool isLightTypePartnerKey(u32 p_nKey) {
    for (const LightPair& lamp : kLightPairs) {
        if (p_nKey == lamp.partner) {
            return true;
        }
    }
    return false;
}

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
        m_pbFirstOfKey[recordSlot(p_nScheme, p_nHint)]) {
        return static_cast<int>(p_nHint);
    }
    return findInSet(set, m_nKeyValSum, p_nKey);
}

// Once the rows hold their keys (from the factory set and the files).
void ISensorController::markFirstRecords() {
    u32 nRows = m_stSysConf.nSchemeSum + 1;
    for (u32 s = 0; s < nRows; ++s) {
        const KeyVal* set = m_ppUserKeyVal[s];
        for (u32 i = 0; i < m_nKeyValSum; ++i) {
            m_pbFirstOfKey[recordSlot(s, i)] = findInSet(set, i, set[i].key) == -1;
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
