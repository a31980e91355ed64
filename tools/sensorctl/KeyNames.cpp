#include "KeyNames.h"

#include <string.h>

#include "sensor/ISensorController.h"
#include "sensor/SensorKeys.h"

namespace {

const keycmd* keyRow(u32 key) {
    const keycmd* rows = keyCmdMap();
    for (int i = 0; i < KEYCMD_ROWS; ++i) {
        if (rows[i].key == key) {
            return &rows[i];
        }
    }
    return nullptr;
}

struct PartnerName {
    u32 key;
    const char* name;
};
#define PARTNER_NAME_(name, key) {key, #name},
const PartnerName kPartnerNames[] = {SENSOR_PARTNER_KEYS(PARTNER_NAME_)};
#undef PARTNER_NAME_

}  // namespace

const keycmd* keyCmdMap() {
    static const struct Map {
        keycmd rows[KEYCMD_ROWS];
        Map() {
            memset(rows, 0, sizeof(rows));
            buildKeyCmdMap(rows);
        }
    } map;
    return map.rows;
}

bool isMappedKey(u32 key) {
    return keyRow(key) != nullptr;
}

std::string keyName(u32 key) {
    const keycmd* row = keyRow(key);
    if (row) {
        return std::string(row->name, strnlen(row->name, sizeof(row->name)));
    }
    for (const PartnerName& partner : kPartnerNames) {
        if (partner.key == key) {
            return partner.name;
        }
    }
    return "-";
}
