// Key-command lookup: the row of a key in the key-command map, through the
// map's index built at init.
#include <string.h>

#include <algorithm>

#include "sensor/ControllerPrivate.h"

int ISensorController::findFromKeyCmdMap(const keycmd* p_pKeyCmdMap, u32 p_nKey,
                                         keycmd& p_stKeyCmd) {
    int row = findKeyCmdRow(p_pKeyCmdMap, p_nKey);
    if (row == -1) {
        SNS_PRINT(0, "cand not find key-cmd while key=%d\n", p_nKey);
        return -1;
    }
    const keycmd& entry = p_pKeyCmdMap[row];
    p_stKeyCmd.key = entry.key;
    p_stKeyCmd.ia_cmd = entry.ia_cmd;
    p_stKeyCmd.handler = entry.handler;
    strncpy(p_stKeyCmd.name, entry.name, sizeof(p_stKeyCmd.name));
    strncpy(p_stKeyCmd.func, entry.func, sizeof(p_stKeyCmd.func));
    return row;
}

// The first row of the key among the map's m_nKeyCmdNum rows. Every applied
// pair looks its key up: the controller's own map answers from its index,
// any other map is scanned.
int ISensorController::findKeyCmdRow(const keycmd* p_pKeyCmdMap, u32 p_nKey) const {
    if (p_pKeyCmdMap && p_pKeyCmdMap == m_pKeyCmdMap && m_pKeyCmdIndex) {
        const keycmd_index* begin = m_pKeyCmdIndex;
        const keycmd_index* end = begin + m_nKeyCmdIndexNum;
        const keycmd_index* found = std::lower_bound(
            begin, end, p_nKey, [](const keycmd_index& entry, u32 key) { return entry.key < key; });
        return found != end && found->key == p_nKey ? static_cast<int>(found->row) : -1;
    }
    for (u32 row = 0; p_pKeyCmdMap && row < m_nKeyCmdNum; ++row) {
        if (p_pKeyCmdMap[row].key == p_nKey) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

// Once the map holds its rows: each key with its first row, ordered by key.
void ISensorController::indexKeyCmdMap() {
    for (u32 row = 0; row < m_nKeyCmdNum; ++row) {
        m_pKeyCmdIndex[row].key = m_pKeyCmdMap[row].key;
        m_pKeyCmdIndex[row].row = row;
    }
    keycmd_index* end = m_pKeyCmdIndex + m_nKeyCmdNum;
    std::stable_sort(m_pKeyCmdIndex, end,
                     [](const keycmd_index& a, const keycmd_index& b) { return a.key < b.key; });
    end = std::unique(m_pKeyCmdIndex, end,
                      [](const keycmd_index& a, const keycmd_index& b) { return a.key == b.key; });
    m_nKeyCmdIndexNum = static_cast<u32>(end - m_pKeyCmdIndex);
}

// The row of a key the map does not know: sent to the processor as it is.
keycmd ISensorController::fallbackRow(u32 nKey) {
    keycmd row;
    memset(&row, 0, sizeof(row));
    row.key = nKey;
    row.ia_cmd = nKey;
    row.handler = &ISensorController::doIaCmd;
    strncpy(row.name, "unknow key", sizeof(row.name));
    strncpy(row.func, "ISensorController::doIaCmd", sizeof(row.func));
    return row;
}
