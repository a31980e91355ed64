// One image parameter: a key and its value, and the two text forms in which
// the host exchanges parameters: pair text "(34,50)(2337,128)" and key lists.
#ifndef SENSOR_SENSORKEYVAL_H
#define SENSOR_SENSORKEYVAL_H

#include <stdint.h>

#include <string>

#include "platform/BaseTypes.h"

typedef struct {
    u32 key;        // parameter key, as in the key-command map
    int32_t value;  // its meaning belongs to the key
} KeyVal;

static_assert(sizeof(KeyVal) == 8, "parameter files hold 8-byte records");

// Reads every pair of p_strText into p_pKeyVal, in text order; the caller
// gives room for every pair the text holds, at most one per ")" of the text
// (each ")" ends at most one pair, also one before its "("). A pair whose
// number does not parse repeats the previous pair's number (0 for the first).
void keyval_str2st(const std::string& p_strText, KeyVal* p_pKeyVal, u32* p_pnKeyValNum);
// The same, stopping at p_nCapacity records: for texts that come from the
// network, read into an array of known room.
void keyval_str2st_bounded(const std::string& p_strText, KeyVal* p_pKeyVal, u32* p_pnKeyValNum,
                           u32 p_nCapacity);
// Appends "(%d,%d)" for each of the p_nKeyValNum records.
void keyval_st2str(std::string& p_strText, KeyVal* p_pKeyVal, u32 p_nKeyValNum);
// Lets the processor of channel p_nChannel_id (0-based) bring the set's
// sensor-dependent values to what the fitted sensor accepts; returns 0.
int keyval_correct(int p_nChannel_id, KeyVal* p_pKeyval, u32 p_nKeyValNum);

#endif
