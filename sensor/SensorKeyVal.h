// One image parameter: a key and its value. Every parameter set is a plain
// array of KeyVal; the parameter files hold these records unchanged.
#ifndef SENSOR_SENSORKEYVAL_H
#define SENSOR_SENSORKEYVAL_H

#include <stdint.h>

#include "platform/BaseTypes.h"

typedef struct {
    u32 key;        // parameter key, as in the key-command map
    int32_t value;  // its meaning belongs to the key
} KeyVal;

static_assert(sizeof(KeyVal) == 8, "parameter files hold 8-byte records");

#endif
