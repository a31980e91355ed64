// Restore, reset, flush: the current scheme saved, its file applied again,
// one key's recorded value applied again, and every scheme back to the
// factory set.
#include <stdio.h>
#include <string.h>

#include "platform/CameraPaths.h"
#include "sensor/ControllerPrivate.h"

using namespace sensor_controller;

// Saves the current user scheme; the factory set (or no scheme) saves nothing.
// Nor does an empty set (the style could not be read at init): written, it
// would wipe the scheme's saved values.
int ISensorController::flush() {
    SNS_HOST_LOCK_GUARD();
    if (static_cast<u32>(m_nCurScheme.load()) >= m_stSysConf.nSchemeSum || !currentSet() ||
        m_nKeyValSum == 0) {
        return SNS_SUCCESS;
    }
    int nCheck = paramCheck();
    if (nCheck != SNS_SUCCESS) {
        return nCheck;
    }
    if (!versionSaved()) {
        return -1;
    }
    std::string name = platform::schemeFileName(m_nCameraID, m_nCurScheme);
    return keyValToFile(&name[0], m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum);
}

// A version file that init could not write is written before the first save
// of the session; setVersion reports a failure.
bool ISensorController::versionSaved() {
    if (!m_bVersionSaved) {
        m_bVersionSaved = setVersion(m_nVersion) == SNS_SUCCESS;
    }
    return m_bVersionSaved;
}

// Applies the recorded value of a key again, undoing a live change.
int ISensorController::restore(int p_nKey) {
    SNS_HOST_LOCK_GUARD();
    SnsReportScope reportScope;
    SNS_DBG(0, "p_nKey(%d)\n", p_nKey);
    KeyVal* set = currentSet();
    int nPos = findInSet(set, set ? m_nKeyValSum : 0, static_cast<u32>(p_nKey));
    if (!SNS_ASSERT(-1 != nPos, "restore key(%d) failed! make sure it is sensor ui key \n",
                    p_nKey)) {
        return -1;
    }
    return setParameters(&set[nPos], 1, false);
}

bool ISensorController::restoreAeMode() {
    if (restore(KEY_AUTO_FOCUS_MODE) != SNS_SUCCESS) {
        return false;
    }
    return restore(KEY_EXPOSE_MODE) == SNS_SUCCESS;
}

// The current scheme becomes what its file holds: only differing keys are applied.
bool ISensorController::resetToLastParameters() {
    SnsReportScope reportScope;
    SNS_DBG(0, "\n");
    // The scheme and its file name are taken under the lock: a switch or a
    // reset in between would load one scheme's file into another's set.
    SNS_HOST_LOCK_GUARD();
    if (static_cast<u32>(m_nCurScheme.load()) >= m_stSysConf.nSchemeSum) {
        return true;
    }
    char szTmp[256];
    snprintf(szTmp, sizeof(szTmp), "%s",
             platform::schemeFileName(m_nCameraID, m_nCurScheme).c_str());
    if (!currentSet() || !m_pstKeyValTmp) {
        return true;
    }
    setFlag(reset_last_flag);
    memcpy(m_pstKeyValTmp, m_ppUserKeyVal[m_nCurScheme], sizeof(KeyVal) * m_nKeyValSum);
    SNS_ASSERT(SNS_SUCCESS == keyValFromFile(szTmp, m_pstKeyValTmp, m_nKeyValSum),
               "szTmp(%s), m_nKeyValSum(%d)\n", szTmp, m_nKeyValSum);
    int nRet = setParameters(m_pstKeyValTmp, m_nKeyValSum, true);
    clearFlag(reset_last_flag);
    return nRet == SNS_SUCCESS;
}

// Every scheme back to the factory set, on disk and in memory, and a fresh
// start. The sensor thread is stopped and started again while the lock is
// held: its ticks only try the lock, so they never wait for this.
bool ISensorController::resetParameters() {
    SNS_HOST_LOCK_GUARD();
    SNS_DBG(0, "resetting\n");
    setFlag(resetting_flag);
    SNS_ASSERT(SNS_SUCCESS == switch_to(m_stSysConf.nSchemeSum), "m_stSysConf.nSchemeSum(%d)\n",
               m_stSysConf.nSchemeSum);
    platform::removeSavedSets();
    ModuleConfigure objModuleConfigure = storedModuleConfigure();
    uinit();
    updateDebugLevel();
    if (snsDebugLevel() > 5) {
        readModuleConfigure(objModuleConfigure);
    }
    SNS_ASSERT(init(objModuleConfigure));
    m_nCurScheme = 0;
    clearFlag(resetting_flag);
    return true;
}

ModuleConfigure ISensorController::storedModuleConfigure() const {
    ModuleConfigure objModuleConfigure;
    objModuleConfigure.setModuleId(m_stSysConf.moduleConfig.nModuleId);
    objModuleConfigure.setParameters(m_stSysConf.moduleConfig.szParameters);
    objModuleConfigure.setDetail(m_stSysConf.moduleConfig.szDetail);
    return objModuleConfigure;
}

// The first module of the configuration file for this machine; a file that
// names none leaves the stored configuration in place.
void ISensorController::readModuleConfigure(ModuleConfigure& p_objModuleConfigure) const {
    MachineInfo machineInfo;
    SystemInfoParser::parseMachineInfo(platform::kMachineInfoFile, machineInfo);
    std::vector<ModuleConfigure> modules;
    ModuleConfigureParser::parse(platform::kModuleConfigFile, machineInfo.getHardwareModel(),
                                 machineInfo.getHardwareCode(), modules);
    if (!modules.empty()) {
        p_objModuleConfigure = modules.front();
    }
}
