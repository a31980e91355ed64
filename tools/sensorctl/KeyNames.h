// Names of parameter keys, from the module's key-command map.
#ifndef TOOLS_SENSORCTL_KEYNAMES_H
#define TOOLS_SENSORCTL_KEYNAMES_H

#include <string>

#include "sensor/ISensorController.h"

// The map as the module builds it (KEYCMD_ROWS rows).
const keycmd* keyCmdMap();
// Whether the map has a row for key.
bool isMappedKey(u32 key);
// The map's name of key, or the name of a partner key the map has no row
// for; "-" for a key the module does not know.
std::string keyName(u32 key);

#endif
