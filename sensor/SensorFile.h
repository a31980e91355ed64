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
    SAVED_RECORDS_MAX = 4096,       // records a saved file is read for; the rest is ignored
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
// Loads the saved values of a scheme file into the set, by key: a file of the
// set's layout (the set's keys in its order) gives its records by position; any
// other gives each key of the set the value of the key's first record and
// ignores records of keys the set does not hold. Keys the file lacks, and
// bytes of a trailing partial record, leave the set as it was; each is
// reported. The set's keys never change. SNS_SUCCESS.
int keyValFromFile(char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValNum);
// Replaces the file with the set: SNS_SUCCESS, or -1 (reported) when the old
// file stays as it was.
int keyValToFile(char* file_name, KeyVal* p_pKeyVal, u32 p_nKeyValSum);

// How a saved file's records met a set.
struct SavedFileFit {
    u32 nRecords;      // whole records the file holds
    bool bSameLayout;  // the set's keys in the set's order (as far as both go)
    u32 nTaken;        // records that gave a key of the set its value
    u32 nIgnored;      // records of keys the set does not hold, or repeating one
    u32 nMissing;      // records of the set that no saved record reached
};
// Gives the set the values of the saved records, as keyValFromFile does.
SavedFileFit fitSavedRecords(const KeyVal* p_pRecords, u32 p_nRecords, KeyVal* p_pKeyVal,
                             u32 p_nKeyValNum);
int getVersion(u32* p_pnVersion);
int setVersion(u32 p_nVersion);

#endif
