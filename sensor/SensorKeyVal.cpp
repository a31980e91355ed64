#include "sensor/SensorKeyVal.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include "platform/ia_ioctrl.h"
#include "support/SensorDebug.h"

namespace {

// Reads a decimal number as "%d" does: white space, an optional sign, digits.
// Returns the position after it, or null when there is no digit. A number
// beyond 32 bits keeps its low 32 bits.
const char* readDecimal(const char* p, int32_t& out) {
    while (isspace(static_cast<unsigned char>(*p))) {
        ++p;
    }
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    if (!isdigit(static_cast<unsigned char>(*p))) {
        return nullptr;
    }
    uint32_t magnitude = 0;
    for (; isdigit(static_cast<unsigned char>(*p)); ++p) {
        magnitude = magnitude * 10u + static_cast<uint32_t>(*p - '0');
    }
    uint32_t bits = negative ? 0u - magnitude : magnitude;
    memcpy(&out, &bits, sizeof(out));
    return p;
}

// "(%d,%d)" at an opening parenthesis, into the pending pair.
void readPair(const char* open, int32_t& key, int32_t& value) {
    const char* p = readDecimal(open + 1, key);
    if (p && *p == ',') {
        readDecimal(p + 1, value);
    }
}

int findKey(const KeyVal* p_pKeyval, u32 p_nKeyValNum, u32 key) {
    for (u32 i = 0; i < p_nKeyValNum; ++i) {
        if (p_pKeyval[i].key == key) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace

void keyval_str2st(const std::string& p_strText, KeyVal* p_pKeyVal, u32* p_pnKeyValNum) {
    keyval_str2st_bounded(p_strText, p_pKeyVal, p_pnKeyValNum, UINT32_MAX);
}

void keyval_str2st_bounded(const std::string& p_strText, KeyVal* p_pKeyVal, u32* p_pnKeyValNum,
                           u32 p_nCapacity) {
    if (!p_pnKeyValNum) {
        return;
    }
    *p_pnKeyValNum = 0;
    if (!p_pKeyVal) {
        return;
    }
    int32_t key = 0;
    int32_t value = 0;
    const char* text = p_strText.c_str();
    std::string::size_type length = p_strText.size();
    std::string::size_type pos = 0;
    while (pos < length && *p_pnKeyValNum < p_nCapacity) {
        std::string::size_type open = p_strText.find('(', pos);
        if (open == std::string::npos || open == length - 1) {
            break;
        }
        std::string::size_type close = p_strText.find(')', pos);
        if (close == std::string::npos) {
            break;
        }
        pos = close + 1;
        readPair(text + open, key, value);
        p_pKeyVal[*p_pnKeyValNum].key = static_cast<u32>(key);
        p_pKeyVal[*p_pnKeyValNum].value = value;
        ++*p_pnKeyValNum;
    }
}

void keyval_st2str(std::string& p_strText, KeyVal* p_pKeyVal, u32 p_nKeyValNum) {
    char pair[32];
    for (u32 i = 0; p_pKeyVal && i < p_nKeyValNum; ++i) {
        snprintf(pair, sizeof(pair), "(%d,%d)", static_cast<int>(p_pKeyVal[i].key),
                 p_pKeyVal[i].value);
        p_strText += pair;
    }
}

int keyval_correct(int p_nChannel_id, KeyVal* p_pKeyval, u32 p_nKeyValNum) {
    if (!SNS_ASSERT(NULL != p_pKeyval)) {
        return SNS_SUCCESS;
    }
    ia_dynamic_params_cmds_st dnaCmdList;
    memset(&dnaCmdList, 0, sizeof(dnaCmdList));
    SNS_ASSERT_AS(SNS_SUCCESS == ia_ioctrl_v2(p_nChannel_id, IA_CMD_DYNAMIC_PARAMS_CMDS_GET,
                                              IA_CMD_OPT_GET, &dnaCmdList),
                  "SNS_SUCCESS == ia_ioctrl_v2(p_nChannel_id, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, "
                  "IA_CMD_OPT_GET, (void*)(&dnaCmdList))");
    int commands =
        dnaCmdList.cmd_cnt > IA_DYNAMIC_CMDS_MAX ? IA_DYNAMIC_CMDS_MAX : dnaCmdList.cmd_cnt;
    for (int i = 0; i < commands; ++i) {
        int index = findKey(p_pKeyval, p_nKeyValNum, static_cast<u32>(dnaCmdList.cmd_list[i]));
        if (!SNS_ASSERT(-1 != index)) {
            continue;  // the set has no record of this command
        }
        SNS_DBG(0, "before correct: (%d,%d)\n", p_pKeyval[index].key, p_pKeyval[index].value);
        // The command comes from the processor's list and the set from a file:
        // the value goes in a room that any record fits.
        ia_record_room_u room = ia_record_room(p_pKeyval[index].value);
        SNS_ASSERT_AS(SNS_SUCCESS == ia_ioctrl_v2(p_nChannel_id, (ia_cmd_e)p_pKeyval[index].key,
                                                  IA_CMD_OPT_CORRECT_PARAM, &room),
                      "SNS_SUCCESS == ia_ioctrl_v2(p_nChannel_id, (ia_cmd_e)p_pKeyval[index].key, "
                      "IA_CMD_OPT_CORRECT_PARAM, &p_pKeyval[index].value)");
        p_pKeyval[index].value = room.word;
        SNS_DBG(0, "after correct: (%d,%d)\n", p_pKeyval[index].key, p_pKeyval[index].value);
    }
    return SNS_SUCCESS;
}
