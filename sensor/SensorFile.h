// Detail-field readers, style merge, dynamic style, factory set and the
// module's file functions.
#ifndef SENSOR_SENSORFILE_H
#define SENSOR_SENSORFILE_H

#include <stddef.h>
#include <tinyxml.h>

#include <string>

#include "platform/BaseTypes.h"
#include "platform/ia_ioctrl.h"
#include "sensor/SensorKeyVal.h"
#include "sensor/sensor.h"

enum {
    DETAIL_VALUE_LEN = 10,          // a detail value buffer: 9 characters and a NUL
    FACTORY_KEYVAL_CAPACITY = 150,  // room of the controller's factory set
};

// --- detail text: "(name=value)(name=value)..." -----------------------------

// The field's value converted with atoi; 0 when found, -1 (value untouched) otherwise.
int getDetailFieldTou32(const char* p_szDetail, const char* p_szField, u32* p_pnValue);
// The field's characters copied into the caller's zero-filled buffer of
// DETAIL_VALUE_LEN bytes, at most DETAIL_VALUE_LEN - 1 of them so that it stays
// terminated; 0 when found, -1 otherwise.
int getDetailFieldToStr(const char* p_szDetail, const char* p_szField, char* p_szValue);

// --- style merge ------------------------------------------------------------

// Applies the style-diversity rules that match the module's detail text to the
// style text in *ui_style (a malloc'd block, replaced by the merged text).
int mergeStyle(ModuleConfig* moduleConfig, char** ui_style, char* ui_styleDiversity);
// One operation ("Modify", "AddAfter", "Delete") on the first tab whose "key" is tab_key.
int updateStyleTab(TiXmlDocument* doc_style, const char* operation, const char* tab_key,
                   const TiXmlElement* new_tab);

// --- dynamic style and factory set ------------------------------------------

// The style tailored to the values the sensor of camera p_channelID accepts.
int getDnaStyle(int p_channelID, const char* szStyle, std::string& out, bool p_bShowWDRFalg);
int doDnaStyle(TiXmlElement* root, int cmd, const ia_dynamic_params_attr_st* pstParam);
int getDnaValbyCmdId(TiXmlElement* root, int id, int& value);
int getNodebyCmdId(TiXmlElement* root, int id, TiXmlElement*& node);
int DeleteNode(TiXmlElement* root, TiXmlElement* node);
int ModifyNodebyCmdId(TiXmlElement* root, int id);
// Every element with "id" and "value", in walk order, appended at *count; at
// most FACTORY_KEYVAL_CAPACITY entries (the room init gives the factory set):
// -1 when the style holds more.
int style2KeyVal(TiXmlElement* root, KeyVal* p_pKeyVal, u32* count);
// The factory set of the tailored style; p_pKeyVal has room for
// FACTORY_KEYVAL_CAPACITY records.
int getFctData(int p_channelID, char* p_szStyle, KeyVal* p_pKeyVal, u32* p_pnKeyValNum,
               bool p_bShowWDRFalg);

// --- files ------------------------------------------------------------------

INT64 getFileLen(const char* file_name);
int loadFromFile(const char* file_name, char* data, INT64 file_len);
int saveToFile(char* file_name, char* data, INT64 file_len);
int keyValFromFile(char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValNum);
int keyValToFile(char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValSum);
int getVersion(u32* p_pnVersion);
int setVersion(u32 p_nVersion);

#endif
