// The module's detail text: "(name=value)(name=value)...".
#include <stdlib.h>
#include <string.h>

#include "sensor/SensorFilePrivate.h"

namespace {

// The value of a field: the characters between the first "=" after the
// field's name and the first ")" after that "=". Null when there is none.
const char* findDetailValue(const char* detail, const char* field, size_t& length) {
    if (!detail || !field || !*field) {
        return nullptr;
    }
    const char* name = strstr(detail, field);
    const char* equals = name ? strchr(name, '=') : nullptr;
    const char* close = equals ? strchr(equals, ')') : nullptr;
    if (!close) {
        return nullptr;
    }
    length = static_cast<size_t>(close - equals - 1);
    return equals + 1;
}

}  // namespace

int getDetailFieldTou32(const char* p_szDetail, const char* p_szField, u32* p_pnValue) {
    size_t length = 0;
    const char* value = findDetailValue(p_szDetail, p_szField, length);
    if (!value || !p_pnValue) {
        return -1;
    }
    char nVal[DETAIL_VALUE_LEN] = {0};
    memcpy(nVal, value, length < sizeof(nVal) ? length : sizeof(nVal) - 1);
    *p_pnValue = static_cast<u32>(atoi(nVal));
    return 0;
}

int getDetailFieldToStr(const char* p_szDetail, const char* p_szField, char* p_szValue) {
    size_t length = 0;
    const char* value = findDetailValue(p_szDetail, p_szField, length);
    if (!value || !p_szValue) {
        return -1;
    }
    memcpy(p_szValue, value, length < DETAIL_VALUE_LEN ? length : DETAIL_VALUE_LEN - 1);
    return 0;
}
