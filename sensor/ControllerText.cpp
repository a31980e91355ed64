// Parameter text: key lists in, pair lists out, and the sensor check.
#include <stdio.h>
#include <stdlib.h>

#include "platform/StringHandler.h"
#include "platform/ia_ioctrl.h"
#include "sensor/ControllerPrivate.h"

bool ISensorController::parseSensorParameter(const std::string& p_strIds,
                                             std::vector<std::string>& p_vecFields) {
    if (p_strIds.empty() || p_strIds.find('(') != 0) {
        return false;
    }
    std::string::size_type close = p_strIds.find(')');
    if (close == std::string::npos || close != p_strIds.size() - 1 || close < 2) {
        return false;
    }
    StringHandler::split(p_strIds.substr(1, close - 1), p_vecFields, ",");
    return !p_vecFields.empty();
}

bool ISensorController::getParameters(const std::string& p_strIds, std::string& p_strParameters) {
    std::vector<std::string> fields;
    if (!parseSensorParameter(p_strIds, fields)) {
        printf("%s%d getParameters fail p_strIds = %s \n", SNS_REPORT_FILE, __LINE__,
               p_strIds.c_str());
        return false;
    }
    p_strParameters.clear();
    int nVal = 0;
    for (const std::string& field : fields) {
        int nKey = atoi(field.c_str());
        if (getParameter(nKey, nVal)) {
            char pair[32];
            snprintf(pair, sizeof(pair), "(%d,%d)", nKey, nVal);
            p_strParameters += pair;
        }
    }
    printf("@@ out_Parameters = %s @@\n", p_strParameters.c_str());
    return true;
}

bool ISensorController::getAllParameters(std::string& p_strParameters) {
    SNS_HOST_LOCK_GUARD();
    SnsReportScope reportScope;
    if (!currentSet()) {
        return true;  // no scheme is current yet: nothing to tell
    }
    SNS_ASSERT_AS(
        SNS_SUCCESS == keyval_correct(m_nCameraID - 1, m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum),
        "SNS_SUCCESS == keyval_correct(m_nCameraID-1,m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum)",
        "m_nCurScheme(%d) m_nKeyValSum(%d)\n", m_nCurScheme.load(), m_nKeyValSum);
    keyval_st2str(p_strParameters, m_ppUserKeyVal[m_nCurScheme], m_nKeyValSum);
    SNS_DBG(0, "current scheme: %d\n%s\n", m_nCurScheme.load(), p_strParameters.c_str());
    return true;
}

// A key list of three numbers goes to the processor's sensor check, which
// answers a fourth when the second is 2: the text is then replaced by it.
int ISensorController::SensorCheck(std::string& p_strIds) {
    std::vector<std::string> fields;
    if (!parseSensorParameter(p_strIds, fields) || fields.size() < 3) {
        printf("%s%d getParameters fail p_strIds = %s \n", SNS_REPORT_FILE, __LINE__,
               p_strIds.c_str());
        return 0;
    }
    int32_t record[4] = {atoi(fields[0].c_str()), atoi(fields[1].c_str()), atoi(fields[2].c_str()),
                         0};
    bool read = record[1] == 2;
    int nRet = ia_ioctrl_v2(m_nCameraID - 1, IA_CMD_SENSOR_CHECK,
                            read ? IA_CMD_OPT_GET : IA_CMD_OPT_SET, record);
    if (read) {
        char text[16];
        snprintf(text, sizeof(text), "%d", record[3]);
        p_strIds = text;
    }
    return nRet;
}
