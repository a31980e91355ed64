#include "sensor/SensorFile.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/FsRoot.h"
#include "platform/StringHandler.h"
#include "platform/TXFile.h"
#include "sensor/SensorKeys.h"
#include "sensor/StyleDocument.h"
#include "support/ReplacingFile.h"
#include "support/SensorDebug.h"

namespace {

const char* const kMergeFile = "/tmp/merge_style.xml";
const char* const kVersionFile = "/mnt/mtd/code/config_file/snsversion.cfg";
static_assert(sizeof(u32) == 4, "the version file holds one 4-byte number");
const int kSelectorCompareLen = 5;

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

bool idIs(const TiXmlElement* element, int id) {
    const char* text = element->Attribute("id");
    return text && atoi(text) == id;
}

}  // namespace

// --- detail text ------------------------------------------------------------

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

// --- style merge ------------------------------------------------------------

namespace {

// The first tab of the document, or null (also for a document without root).
TiXmlElement* firstTab(TiXmlDocument* doc) {
    TiXmlElement* root = doc ? doc->RootElement() : nullptr;
    return root ? root->FirstChildElement() : nullptr;
}

bool selectorPieceMatches(const char* piece, const char* nVal) {
    return strncmp(piece, nVal, kSelectorCompareLen) == 0;
}

// One selector: the detail field named by the attribute holds one of the
// attribute's comma-separated values (first five characters compared).
// The merge's helpers report under the merge (op).
bool selectorMatches(const TiXmlAttribute* modi_attr, const ModuleConfig* moduleConfig,
                     const SnsOperation& op) {
    SNS_DBG_FOR(op, 0, "modi_attr->Name()(%s), modi_attr->Value()(%s)\n", modi_attr->Name(),
                modi_attr->Value());
    char nVal[DETAIL_VALUE_LEN] = {0};
    if (getDetailFieldToStr(moduleConfig->szDetail, modi_attr->Name(), nVal) != 0) {
        return false;
    }
    std::vector<std::string> pieces;
    StringHandler::split(modi_attr->Value(), pieces, ",");
    for (const std::string& piece : pieces) {
        if (selectorPieceMatches(piece.c_str(), nVal)) {
            return true;
        }
    }
    if (selectorPieceMatches(modi_attr->Value(), nVal)) {
        return true;
    }
    SNS_DBG_FOR(op, 0, "modi_attr->Name()(%s), modi_attr->Value()(%s) nVal(%s)\n",
                modi_attr->Name(), modi_attr->Value(), nVal);
    return false;
}

bool ruleApplies(const TiXmlElement* rule, const ModuleConfig* moduleConfig,
                 const SnsOperation& op) {
    for (const TiXmlAttribute* modi_attr = rule->FirstAttribute(); modi_attr;
         modi_attr = modi_attr->Next()) {
        if (selectorMatches(modi_attr, moduleConfig, op)) {
            return true;
        }
    }
    return false;
}

void applyRule(StyleDocument& doc_style, TiXmlElement* node_first, const SnsOperation& op) {
    TiXmlElement* node_second = nullptr;
    if (!SNS_ASSERT_FOR(op, NULL != (node_second = node_first->FirstChildElement()))) {
        return;
    }
    for (; node_second; node_second = node_second->NextSiblingElement()) {
        updateStyleTab(&doc_style, node_second->Value(), node_second->Attribute("tab_key"),
                       node_second->FirstChildElement());
    }
}

std::string printed(const StyleDocument& doc) {
    std::string text;
    doc.getXmlString(text);
    return text;
}

// The document as TinyXML saves it to a file.
std::string savedForm(const StyleDocument& doc) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* stream = open_memstream(&buffer, &size);
    if (!stream) {
        return printed(doc);
    }
    doc.SaveFile(stream);
    fclose(stream);
    std::string text(buffer ? buffer : "", size);
    free(buffer);
    return text;
}

// Writes the merged text to the scratch file's replacement and reads it back
// into *ui_style before publishing it (so controllers merging at once never
// read each other's document); false when it could not be written or read
// back whole.
bool readBackThroughFile(const std::string& text, char** ui_style) {
    INT64 size = static_cast<INT64>(text.size());
    ReplacingFile file;
    if (size > INT_MAX || !file.open(kMergeFile, TXFile::modeWrite | TXFile::modeTruncate) ||
        file.write(text.data(), static_cast<int>(size)) != size) {
        return false;
    }
    INT64 file_len = getFileLen(file.temporaryPath().c_str());
    if (file_len != size) {
        return false;
    }
    char* resized = static_cast<char*>(realloc(*ui_style, static_cast<size_t>(file_len) + 1));
    if (!resized) {
        return false;
    }
    *ui_style = resized;
    memset(*ui_style, 0, static_cast<size_t>(file_len) + 1);
    if (!(loadFromFile(file.temporaryPath().c_str(), *ui_style, file_len) > 0)) {
        return false;
    }
    file.commit();  // the text is in hand: a scratch file left unpublished costs nothing
    return true;
}

// Without a writable scratch file the camera still gets its style.
void keepInMemory(const std::string& text, char** ui_style) {
    char* resized = static_cast<char*>(realloc(*ui_style, text.size() + 1));
    if (resized) {
        *ui_style = resized;
        memcpy(*ui_style, text.c_str(), text.size() + 1);
    } else if (*ui_style) {
        (*ui_style)[0] = '\0';
    }
}

void replaceWithPrinted(StyleDocument& doc_style, char** ui_style, const SnsOperation& op) {
    std::string text = savedForm(doc_style);
    SNS_INFO_FOR(op, 35, "%s\n", printed(doc_style).c_str());
    if (!readBackThroughFile(text, ui_style)) {
        SNS_ASSERT_AS_FOR(op, false,
                          "loadFromFile(\"/tmp/merge_style.xml\", *ui_style, file_len) > 0");
        keepInMemory(text, ui_style);
    }
}

}  // namespace

int updateStyleTab(TiXmlDocument* doc_style, const char* operation, const char* tab_key,
                   const TiXmlElement* new_tab) {
    TiXmlElement* tab_node = nullptr;
    if (!SNS_ASSERT_AS(NULL != (tab_node = firstTab(doc_style)),
                       "NULL != (tab_node = doc_style->RootElement()->FirstChildElement())")) {
        return 0;
    }
    if (!operation || !tab_key) {
        return 0;
    }
    for (; tab_node; tab_node = tab_node->NextSiblingElement()) {
        const char* key = tab_node->Attribute("key");
        if (key && strcmp(key, tab_key) == 0) {
            break;
        }
    }
    if (!tab_node) {
        return 0;
    }
    TiXmlNode* tabs = tab_node->Parent();
    if (strcmp(operation, "Modify") == 0 && new_tab) {
        tabs->InsertAfterChild(tab_node, *new_tab);
        tabs->RemoveChild(tab_node);
    } else if (strcmp(operation, "AddAfter") == 0 && new_tab) {
        tabs->InsertAfterChild(tab_node, *new_tab);
    } else if (strcmp(operation, "Delete") == 0) {
        tabs->RemoveChild(tab_node);
    }
    return 0;
}

int mergeStyle(ModuleConfig* moduleConfig, char** ui_style, char* ui_styleDiversity) {
    if (!SNS_ASSERT(NULL != moduleConfig && NULL != ui_style)) {
        return SNS_SUCCESS;
    }
    StyleDocument doc_style;
    StyleDocument doc_style_div;
    SNS_ASSERT(doc_style.LoadMem(*ui_style, TIXML_ENCODING_UTF8));
    SNS_ASSERT(doc_style_div.LoadMem(ui_styleDiversity, TIXML_ENCODING_UTF8));

    TiXmlElement* node_first = nullptr;
    if (SNS_ASSERT(NULL != (node_first = doc_style_div.RootElement()))) {
        for (node_first = node_first->FirstChildElement(); node_first;
             node_first = node_first->NextSiblingElement()) {
            if (ruleApplies(node_first, moduleConfig, SNS_OPERATION)) {
                applyRule(doc_style, node_first, SNS_OPERATION);
            }
        }
    }
    replaceWithPrinted(doc_style, ui_style, SNS_OPERATION);
    return SNS_SUCCESS;
}

// --- dynamic style and factory set ------------------------------------------

namespace {

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
    // The reported conditions are the source texts as written here.
    // clang-format off
    bool ranged = SNS_ASSERT_FOR(op, SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, (ia_cmd_e)dnaCmdList.cmd_list[i], IA_CMD_OPT_GET_PARAM_RNAGE, (void*)(&dnaParamList)));
    // clang-format on
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
    // clang-format off
    SNS_ASSERT(SNS_SUCCESS == ia_ioctrl_v2(p_channelID-1, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, (void*)(&dnaCmdList)));
    // clang-format on

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
    // clang-format off
    SNS_ASSERT(SNS_SUCCESS == getDnaStyle(p_channelID,p_szStyle, strDnaStyle,p_bShowWDRFalg));
    // clang-format on
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

// --- files ------------------------------------------------------------------

namespace {

// A length that one transfer of TXFile can move.
bool transferable(INT64 length) {
    return length >= 0 && length <= INT_MAX;
}

const char* nameOf(const char* file_name) {
    return file_name ? file_name : "(null)";
}

// Opens a camera file for reading only when it is a regular file: a FIFO put
// in its place would block the open until a writer came, a device would read
// without end.
bool openForReading(TXFile& file, const char* file_name) {
    struct stat info;
    return file_name && stat(platform::resolvePath(file_name).c_str(), &info) == 0 &&
           S_ISREG(info.st_mode) && file.open(file_name, TXFile::modeRead);
}

// A file written in full is moved over the old one; a save that fails at any
// step leaves the old file in place and reports 0 bytes saved. The saving
// operation (op) reports.
bool replaceOrKeep(ReplacingFile& file, const char* file_name, const SnsOperation& op) {
    return SNS_ASSERT_FOR(op, file.commit(), "file_name(%s)\n", nameOf(file_name));
}

}  // namespace

INT64 getFileLen(const char* file_name) {
    TXFile file;
    SNS_ASSERT_AS(openForReading(file, file_name), "file.open(file_name)", "file_name(%s)",
                  nameOf(file_name));
    return file.getLength();
}

int loadFromFile(const char* file_name, char* data, INT64 file_len) {
    SNS_DBG(37, "open file:%s\n", file_name ? file_name : "(null)");
    TXFile file;
    if (!data || !transferable(file_len) || !openForReading(file, file_name)) {
        return -1;
    }
    int nSize = file.read(data, static_cast<int>(file_len));
    if (static_cast<INT64>(nSize) != file_len) {
        return -1;
    }
    file.close();
    return nSize;
}

// Opens the replacement of file_name and writes the bytes: the count written.
// The saving operation (op) reports.
static int writeReplacement(ReplacingFile& file, const char* file_name, const void* data,
                            INT64 file_len, const SnsOperation& op) {
    SNS_ASSERT_FOR(op, file.open(file_name, TXFile::modeWrite | TXFile::modeTruncate),
                   "file_name(%s)\n", nameOf(file_name));
    return transferable(file_len) ? file.write(data, static_cast<int>(file_len)) : 0;
}

int saveToFile(char* file_name, char* data, INT64 file_len) {
    ReplacingFile file;
    int nSize = writeReplacement(file, file_name, data, file_len, SNS_OPERATION);
    if (!SNS_ASSERT_AS(file_len == nSize, "file_len == (nSize=file.write(data, file_len))",
                       "file_len(%d)\n", static_cast<int>(file_len))) {
        return nSize;
    }
    return replaceOrKeep(file, file_name, SNS_OPERATION) ? nSize : 0;
}

namespace {

// The whole records of an open saved file, at most SAVED_RECORDS_MAX of them;
// nRead: the bytes read.
std::vector<KeyVal> readSavedRecords(TXFile& file, int& nRead) {
    const INT64 kRecord = static_cast<INT64>(sizeof(KeyVal));
    INT64 wanted = std::max<INT64>(0, std::min(file.getLength(), kRecord * SAVED_RECORDS_MAX));
    std::vector<KeyVal> records(static_cast<size_t>(wanted / kRecord) + 1);
    nRead = wanted > 0 ? file.read(records.data(), static_cast<int>(wanted)) : 0;
    records.resize(static_cast<size_t>(nRead > 0 ? nRead : 0) / sizeof(KeyVal));
    return records;
}

// The records read, against the documented single read of the set's size.
int countAsOneRead(int nRead, u32 p_nKeyValNum) {
    INT64 wanted = static_cast<INT64>(sizeof(KeyVal)) * p_nKeyValNum;
    return static_cast<int>(std::min(static_cast<INT64>(nRead), wanted));
}

}  // namespace

SavedFileFit fitSavedRecords(const KeyVal* p_pRecords, u32 p_nRecords, KeyVal* p_pKeyVal,
                             u32 p_nKeyValNum) {
    SavedFileFit fit = {p_nRecords, true, 0, 0, 0};
    u32 nShared = std::min(p_nRecords, p_nKeyValNum);
    for (u32 i = 0; i < nShared && fit.bSameLayout; ++i) {
        fit.bSameLayout = p_pRecords[i].key == p_pKeyVal[i].key;
    }
    if (fit.bSameLayout) {
        for (u32 i = 0; i < nShared; ++i) {
            p_pKeyVal[i].value = p_pRecords[i].value;
        }
        fit.nTaken = nShared;
        fit.nIgnored = p_nRecords - nShared;
        fit.nMissing = p_nKeyValNum - nShared;
        return fit;
    }
    std::vector<bool> used(p_nRecords, false);
    for (u32 i = 0; i < p_nKeyValNum; ++i) {
        u32 j = 0;
        while (j < p_nRecords && p_pRecords[j].key != p_pKeyVal[i].key) {
            ++j;
        }
        if (j == p_nRecords) {
            ++fit.nMissing;
            continue;
        }
        p_pKeyVal[i].value = p_pRecords[j].value;
        used[j] = true;
    }
    for (u32 j = 0; j < p_nRecords; ++j) {
        fit.nTaken += used[j] ? 1 : 0;
    }
    fit.nIgnored = p_nRecords - fit.nTaken;
    return fit;
}

int keyValFromFile(char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValNum) {
    TXFile file;
    SNS_ASSERT_AS(openForReading(file, file_name), "file.open(file_name)", "file_name(%s)\n",
                  nameOf(file_name));
    int nRead = 0;
    std::vector<KeyVal> records = readSavedRecords(file, nRead);
    file.close();
    int nSize = countAsOneRead(nRead, p_nKeyValNum);
    SNS_ASSERT_AS(nSize == static_cast<INT64>(sizeof(KeyVal)) * p_nKeyValNum,
                  "nSize == sizeof(KeyVal)*p_nKeyValNum",
                  "file_name(%s) nSize(%d) sizeof(KeyVal) = %d, p_nKeyValNum(%d)\n",
                  nameOf(file_name), nSize, static_cast<int>(sizeof(KeyVal)),
                  static_cast<int>(p_nKeyValNum));
    u32 nPartial = static_cast<u32>(nRead > 0 ? nRead : 0) % sizeof(KeyVal);
    SNS_ASSERT(0 == nPartial, "file_name(%s) ends in %u bytes of a record, ignored\n",
               nameOf(file_name), nPartial);
    if (!p_pKeyVal) {
        return SNS_SUCCESS;
    }
    SavedFileFit fit =
        fitSavedRecords(records.data(), static_cast<u32>(records.size()), p_pKeyVal, p_nKeyValNum);
    SNS_ASSERT(fit.bSameLayout,
               "file_name(%s) holds another layout: %u records taken, %u ignored, %u keys "
               "missing\n",
               nameOf(file_name), fit.nTaken, fit.nIgnored, fit.nMissing);
    return SNS_SUCCESS;
}

int keyValToFile(char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValSum) {
    ReplacingFile file;
    INT64 wanted = static_cast<INT64>(sizeof(KeyVal)) * p_nKeyValSum;
    int nSize = writeReplacement(file, file_name, p_pKeyVal, wanted, SNS_OPERATION);
    if (!SNS_ASSERT_AS(nSize == wanted, "nSize == sizeof(KeyVal)*p_nKeyValSum",
                       "nSize(%d) sizeof(KeyVal) = %d, p_nKeyValNum(%d)\n", nSize,
                       static_cast<int>(sizeof(KeyVal)), static_cast<int>(p_nKeyValSum))) {
        return -1;
    }
    return replaceOrKeep(file, file_name, SNS_OPERATION) ? SNS_SUCCESS : -1;
}

int getVersion(u32* p_pnVersion) {
    if (!p_pnVersion) {
        return -1;
    }
    return loadFromFile(kVersionFile, reinterpret_cast<char*>(p_pnVersion),
                        static_cast<INT64>(sizeof(*p_pnVersion))) >= 1
               ? 0
               : -1;
}

int setVersion(u32 p_nVersion) {
    // A short write replaces nothing: only the whole number counts as saved.
    return saveToFile(const_cast<char*>(kVersionFile), reinterpret_cast<char*>(&p_nVersion),
                      static_cast<INT64>(sizeof(p_nVersion))) ==
                   static_cast<int>(sizeof(p_nVersion))
               ? 0
               : -1;
}
