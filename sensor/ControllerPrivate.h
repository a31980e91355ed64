// What the files of the controller's implementation share. The controller is
// one object spread over one file per family of its operations:
//   ISensorController.cpp        lifecycle, channel, video link; init's steps
//   ControllerKeyLookup.cpp      key-command lookup and the map's index
//   ControllerThread.cpp         the sensor thread's tick and scheme decision
//   ControllerText.cpp           parameter text
//   ControllerPipeline.cpp       setting and reading parameters, the cache
//   ControllerSchemes.cpp        schemes, their windows and modes
//   ControllerRestore.cpp        restore, reset, flush
//   ControllerHandlers.cpp       the image-algorithm handlers
//   ControllerDayNight.cpp       day/night, mirror, beaway
//   ControllerDirectControls.cpp lens, exposure, lamps, shutter
//   ControllerUiFiles.cpp        the user-interface files
// The key-command map itself (the table) is KeyCmdMap.cpp.
#ifndef SENSOR_CONTROLLERPRIVATE_H
#define SENSOR_CONTROLLERPRIVATE_H

#include <string.h>

#include "platform/TalvexTime.h"
#include "sensor/ISensorController.h"
#include "sensor/SensorFile.h"
#include "support/SensorDebug.h"
#include "support/TXMutexManager.h"

// Operators find the controller's reports under its own source name, whichever
// file of it reports.
#undef SNS_REPORT_FILE
#define SNS_REPORT_FILE "ISensorController.cpp"

// --- every file: the host's hold of the lock ----------------------------------

// A host operation's hold of the controller's mutex; a tick waiting for the
// mutex goes first.
#define SNS_HOST_LOCK_GUARD()       \
    m_objTickTurn.letWorkerFirst(); \
    SNS_LOCK_GUARD(m_objMutex)

namespace sensor_controller {

// --- ISensorController.cpp, ControllerPipeline.cpp: the rows' layout -----------

// The rows of the key/value block: row s < nSchemeSum is the user set of
// scheme s, row nSchemeSum the factory set. Each row has room for
// FACTORY_KEYVAL_CAPACITY records, of which the first m_nKeyValSum are used;
// the per-record tables beside the block (first-of-key marks) share the layout.
const u32 kRowRoom = FACTORY_KEYVAL_CAPACITY;
inline size_t recordSlot(u32 p_nRow, u32 p_nRecord) {
    return static_cast<size_t>(p_nRow) * kRowRoom + p_nRecord;
}

// --- the files that search a set -----------------------------------------------

// The position of the first record of key in the set, or -1.
inline int findInSet(const KeyVal* set, u32 count, u32 key) {
    for (u32 i = 0; set && i < count; ++i) {
        if (set[i].key == key) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// --- ControllerHandlers.cpp, ControllerDayNight.cpp: a handler's value ---------

// The first word of a handler's value (a value or the first field of a record).
inline int32_t wordAt(const void* p_pVal) {
    int32_t word = 0;
    if (p_pVal) {
        memcpy(&word, p_pVal, sizeof(word));
    }
    return word;
}

}  // namespace sensor_controller

#endif
