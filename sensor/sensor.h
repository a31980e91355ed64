// The channel's system configuration, and the process-wide beaway flag.
#ifndef SENSOR_SENSOR_H
#define SENSOR_SENSOR_H

#include <stdint.h>

#include "platform/BaseTypes.h"
#include "platform/ModuleConfigure.h"

enum {
    SYSCONF_SPARE1_LEN = 32,
    SYSCONF_SPARE2_LEN = 10,
    SYSCONF_PARAMETERS_LEN = 256,
    SYSCONF_DETAIL_LEN = 512,
    UILANGUAGE_LABEL_LEN = 32,
    DEFAULT_SCHEME_SUM = 4,  // schemes when the detail text names none
};

// Copy of the host's module configuration. Texts longer than their field are
// cut; every field stays NUL-terminated.
typedef struct {
    int32_t nModuleId;
    char szSpare1[SYSCONF_SPARE1_LEN];
    char szSpare2[SYSCONF_SPARE2_LEN];
    char szParameters[SYSCONF_PARAMETERS_LEN];
    char szDetail[SYSCONF_DETAIL_LEN];
} ModuleConfig;

typedef struct {
    int32_t nLanguageId;
    char szLabel[UILANGUAGE_LABEL_LEN];
    char* szLanguageFile;  // heap text
    char* szCommonFile;    // heap text
} UILanguage;

typedef struct {
    ModuleConfig moduleConfig;
    u32 nSchemeSum;      // user parameter schemes ("max_scheme", default 4)
    u32 nUILanguageNum;  // entries of pstUILanguage
    UILanguage* pstUILanguage;
    char* szUIStyle;      // merged style document, C heap, owned here
    int32_t nDeviceType;  // from the machine information
} SysConfig;

// Fills the record for camera p_nCameraID (1-based): the module's texts, the
// number of schemes, the device type, and the merged style of the machine's
// family. Reports every failure and carries on; returns SNS_SUCCESS.
int initSysConf(int p_nCameraID, const ModuleConfigure& p_objModuleConfigure,
                SysConfig* p_stSysConf);
// Releases the texts initSysConf and the language table allocated.
void uinitSysConf(SysConfig* p_stSysConf);

// The style documents of a device type and camera, as camera paths.
struct StyleFiles {
    const char* style;
    const char* diversity;
};
StyleFiles styleFilesFor(int p_nDeviceType, int p_nCameraID);
// The fourteen device types the module knows.
bool isAcceptedDeviceType(int p_nDeviceType);

// Whether beaway is offered; one byte for every channel of the process,
// initially true. The module reads and writes it through the two accessors,
// which move it whole (any channel's thread may do so at once).
extern bool g_bShoWBeawayFalg;
void setshowBeawayFalg(bool p_bShow);
bool getshowBeawayFalg();

#endif
