// The user-interface files: the common and language files of a language, and
// the style page tailored to the sensor.
#include <string>

#include "sensor/ControllerPrivate.h"

// The entry of a language, else the first entry; null when the table is empty.
// Its report is the asking operation's (op).
const UILanguage* ISensorController::findLanguage(int LanguageId, const SnsOperation& op) {
    SNS_DBG_FOR(op, 0, "LanguageId(%d)\n", LanguageId);
    if (!m_stSysConf.pstUILanguage || m_stSysConf.nUILanguageNum == 0) {
        return nullptr;
    }
    for (u32 i = 0; i < m_stSysConf.nUILanguageNum; ++i) {
        if (m_stSysConf.pstUILanguage[i].nLanguageId == LanguageId) {
            return &m_stSysConf.pstUILanguage[i];
        }
    }
    return &m_stSysConf.pstUILanguage[0];
}

std::string ISensorController::getUICommonFile(int LanguageId) {
    SNS_HOST_LOCK_GUARD();
    const UILanguage* language = findLanguage(LanguageId, SNS_OPERATION);
    return language && language->szCommonFile ? language->szCommonFile : "";
}

std::string ISensorController::getUILanguageFile(int LanguageId) {
    SNS_HOST_LOCK_GUARD();
    const UILanguage* language = findLanguage(LanguageId, SNS_OPERATION);
    return language && language->szLanguageFile ? language->szLanguageFile : "";
}

// The style page tailored afresh to the sensor's current answers.
std::string ISensorController::getUIStyleFile() {
    SNS_HOST_LOCK_GUARD();
    SnsReportScope reportScope;
    std::string strTmp;
    if (!SNS_ASSERT_AS(
            SNS_SUCCESS == getDnaStyle(m_nCameraID, m_stSysConf.szUIStyle, strTmp, m_bShowWDRFalg),
            "SNS_SUCCESS == getDnaStyle(m_nCameraID,m_stSysConf.szUIStyle, "
            "strTmp,m_bShowWDRFalg)")) {
        return strTmp;
    }
    SNS_INFO(0, "%s\n", strTmp.c_str());
    return strTmp;
}
