// The dynamic style: the style tailored to the values the sensor accepts, and
// the factory set read from it.
#include <stdlib.h>
#include <string.h>

#include <string>

#include "sensor/SensorFilePrivate.h"
#include "sensor/SensorKeys.h"
#include "sensor/StyleDocument.h"

namespace {

bool idIs(const TiXmlElement* element, int id) {
    const char* text = element->Attribute("id");
    return text && atoi(text) == id;
}

// Counts from the processor, kept to the room of their records.
int clampCount(int count, int room) {
    return count < 0 ? 0 : (count > room ? room : count);
}

bool acceptsItem(const ia_dynamic_params_attr_st& param, int value) {
    int items = clampCount(param.items_cnt, IA_DYNAMIC_ITEMS_MAX);
    for (int j = 0; j < items; ++j) {
        if (param.item[j] == value) {
            return true;
        }
    }
    return false;
}

// For the shutter and near-limit settings the style's own default survives
// when the sensor accepts it and it is not 100.
void keepStyleDefault(TiXmlElement* root, int i, int cmd, ia_dynamic_params_attr_st& param) {
    int nVal = 0;
    getDnaValbyCmdId(root, cmd, nVal);
    if (nVal == 100) {
        return;
    }
    int items = clampCount(param.items_cnt, IA_DYNAMIC_ITEMS_MAX);
    printf("dnaCmdList.cmd_list[%d] = dnaParamList.items_cnt(%d)\n", i, param.items_cnt);
    for (int j = 0; j < items; ++j) {
        printf(" dnaParamList.item[%d] = %d nVal = %d \n", j, param.item[j], nVal);
        if (param.item[j] == nVal) {
            param.default_val = nVal;
            break;
        }
    }
}

// One command of the list; its reports are getDnaStyle's (op).
void tailorCommand(int p_channelID, StyleDocument& objStyleXmlDoc,
                   const ia_dynamic_params_cmds_st& dnaCmdList, int i, const SnsOperation& op) {
    int cmd = dnaCmdList.cmd_list[i];
    SNS_DBG_FOR(op, 0, "dnaCmdList.cmd_list[%d] = cmd(%d)\n", i, cmd);
    ia_dynamic_params_attr_st dnaParamList;
    memset(&dnaParamList, 0, sizeof(dnaParamList));
    bool ranged = SNS_ASSERT_AS_FOR(
        op,
        SNS_SUCCESS == ia_ioctrl_v2(p_channelID - 1, static_cast<ia_cmd_e>(cmd),
                                    IA_CMD_OPT_GET_PARAM_RNAGE, &dnaParamList),
        "SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, (ia_cmd_e)dnaCmdList.cmd_list[i], "
        "IA_CMD_OPT_GET_PARAM_RNAGE, (void*)(&dnaParamList))");
    if (!ranged) {
        return;  // a setting whose range is unknown keeps what the style says
    }
    if (cmd == KEY_MAX_SHUTTER || cmd == KEY_FIX_SHUTTER || cmd == KEY_AUTO_FOCUS_NEAR_LIMIT) {
        keepStyleDefault(objStyleXmlDoc.RootElement(), i, cmd, dnaParamList);
    }
    SNS_ASSERT_FOR(op, SNS_SUCCESS == doDnaStyle(objStyleXmlDoc.RootElement(),
                                                 dnaCmdList.cmd_list[i], &dnaParamList));
}

// Acts on every element whose "id" is id, parents before children, without
// descending into a match; a non-zero action ends the walk with -1.
template <class Act>
int forEachWithId(TiXmlElement* root, int id, const Act& act) {
    if (!root) {
        return 0;
    }
    if (idIs(root, id)) {
        return act(root) == 0 ? 0 : -1;
    }
    for (TiXmlElement* child = root->FirstChildElement(); child;
         child = child->NextSiblingElement()) {
        if (forEachWithId(child, id, act) != 0) {
            return -1;
        }
    }
    return 0;
}

// Writes the sensor's default and keeps the choices the sensor accepts; -1
// at a choice without "index" (the choices before it stay handled). Its
// reports are doDnaStyle's (op).
int tailorChoices(TiXmlElement* setting, int cmd, const ia_dynamic_params_attr_st& param,
                  const SnsOperation& op) {
    SNS_DBG_FOR(op, 0, "_________________cmd(%d) default(%d)__________________\n", cmd,
                param.default_val);
    setting->SetAttribute("value", param.default_val);
    TiXmlElement* next = nullptr;
    for (TiXmlElement* choice = setting->FirstChildElement(); choice; choice = next) {
        next = choice->NextSiblingElement();
        const char* index = choice->Attribute("index");
        if (!index) {
            return -1;
        }
        if (!acceptsItem(param, atoi(index))) {
            SNS_DBG_FOR(op, 0, "_________________delete comboitem(%s)__________________\n", index);
            setting->RemoveChild(choice);
        }
    }
    return 0;
}

void deleteLastWithId(TiXmlElement* root, int id) {
    TiXmlElement* node = nullptr;
    getNodebyCmdId(root, id, node);
    DeleteNode(root, node);
}

void collectKeyVal(const TiXmlElement* element, KeyVal* p_pKeyVal, u32* count, u32 p_nCapacity,
                   bool& overflow) {
    const char* id = element->Attribute("id");
    const char* value = element->Attribute("value");
    if (id && value) {
        if (*count < p_nCapacity) {
            p_pKeyVal[*count].key = static_cast<u32>(atoi(id));
            p_pKeyVal[*count].value = atoi(value);
            ++*count;
        } else {
            overflow = true;
        }
    }
    for (const TiXmlElement* child = element->FirstChildElement(); child;
         child = child->NextSiblingElement()) {
        collectKeyVal(child, p_pKeyVal, count, p_nCapacity, overflow);
    }
}

}  // namespace

int getDnaValbyCmdId(TiXmlElement* root, int id, int& value) {
    return forEachWithId(root, id, [&value](TiXmlElement* setting) {
        const char* text = setting->Attribute("value");
        if (text) {
            value = atoi(text);
        }
        return 0;
    });
}

int getNodebyCmdId(TiXmlElement* root, int id, TiXmlElement*& node) {
    return forEachWithId(root, id, [&node](TiXmlElement* setting) {
        node = setting;
        return 0;
    });
}

int ModifyNodebyCmdId(TiXmlElement* root, int id) {
    return forEachWithId(root, id, [id](TiXmlElement* setting) {
        if (id == KEY_HLC_SWITCH) {
            setting->SetAttribute("enable_list", "128");
        } else if (id == KEY_BLC_SWITCH) {
            setting->SetAttribute("enable_list", "112");
        }
        return 0;
    });
}

int DeleteNode(TiXmlElement* root, TiXmlElement* node) {
    if (!root || !node) {
        return -1;
    }
    TiXmlNode* parent = node->Parent();
    if (parent && parent->ToElement()) {
        parent->RemoveChild(node);
    }
    return 0;
}

int doDnaStyle(TiXmlElement* root, int cmd, const ia_dynamic_params_attr_st* pstParam) {
    if (!pstParam) {
        return 0;
    }
    const SnsOperation op = SNS_OPERATION;
    return forEachWithId(root, cmd, [cmd, pstParam, &op](TiXmlElement* setting) {
        return tailorChoices(setting, cmd, *pstParam, op);
    });
}

int getDnaStyle(int p_channelID, const char* szStyle, std::string& out, bool p_bShowWDRFalg) {
    ia_dynamic_params_cmds_st dnaCmdList;
    memset(&dnaCmdList, 0, sizeof(dnaCmdList));
    SNS_ASSERT_AS(SNS_SUCCESS == ia_ioctrl_v2(p_channelID - 1, IA_CMD_DYNAMIC_PARAMS_CMDS_GET,
                                              IA_CMD_OPT_GET, &dnaCmdList),
                  "SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, "
                  "IA_CMD_OPT_GET, (void*)(&dnaCmdList))");

    StyleDocument objStyleXmlDoc;
    SNS_ASSERT(objStyleXmlDoc.LoadMem(szStyle, TIXML_ENCODING_UTF8));
    SNS_DBG(0, "dnaCmdList.cmd_cnt(%d)\n", dnaCmdList.cmd_cnt);
    int commands = clampCount(dnaCmdList.cmd_cnt, IA_DYNAMIC_CMDS_MAX);
    for (int i = 0; i < commands; ++i) {
        tailorCommand(p_channelID, objStyleXmlDoc, dnaCmdList, i, SNS_OPERATION);
    }
    if (p_bShowWDRFalg) {
        deleteLastWithId(objStyleXmlDoc.RootElement(), KEY_EMPTY1);
    }
    if (getshowBeawayFalg()) {
        deleteLastWithId(objStyleXmlDoc.RootElement(), KEY_EMPTY2);
    }
    objStyleXmlDoc.getXmlString(out);
    return SNS_SUCCESS;
}

int style2KeyVal(TiXmlElement* root, KeyVal* p_pKeyVal, u32* count) {
    if (!root || !count) {
        return 0;
    }
    u32 nCapacity = p_pKeyVal ? FACTORY_KEYVAL_CAPACITY : 0;
    bool overflow = false;
    collectKeyVal(root, p_pKeyVal, count, nCapacity, overflow);
    return overflow ? -1 : 0;
}

int getFctData(int p_channelID, char* p_szStyle, KeyVal* p_pKeyVal, u32* p_pnKeyValNum,
               bool p_bShowWDRFalg) {
    std::string strDnaStyle;
    SNS_ASSERT_AS(SNS_SUCCESS == getDnaStyle(p_channelID, p_szStyle, strDnaStyle, p_bShowWDRFalg),
                  "SNS_SUCCESS == getDnaStyle(p_channelID,p_szStyle, strDnaStyle,p_bShowWDRFalg)");
    StyleDocument objDnaStyleDoc;
    SNS_ASSERT(objDnaStyleDoc.LoadMem(strDnaStyle.c_str(), TIXML_ENCODING_UTF8));
    if (!SNS_ASSERT(NULL != p_pnKeyValNum)) {
        return SNS_SUCCESS;
    }
    TiXmlElement* pRootNode = objDnaStyleDoc.RootElement();
    *p_pnKeyValNum = 0;
    // The fill runs before the count is read for the report: the arguments of
    // one call are evaluated in no fixed order.
    int nFilled = style2KeyVal(pRootNode, p_pKeyVal, p_pnKeyValNum);
    SNS_ASSERT_AS(SNS_SUCCESS == nFilled,
                  "SNS_SUCCESS == style2KeyVal(pRootNode, p_pKeyVal, p_pnKeyValNum)",
                  "p_pnKeyValNum(%u)\n", *p_pnKeyValNum);
    return SNS_SUCCESS;
}
