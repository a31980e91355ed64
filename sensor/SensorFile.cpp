// The module's files: whole files read and written through TXFile, the
// parameter files of the schemes, and the version file of their layout.
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "platform/CameraPaths.h"
#include "platform/TXFile.h"
#include "sensor/SensorFilePrivate.h"
#include "support/ReplacingFile.h"

static_assert(sizeof(u32) == 4, "the version file holds one 4-byte number");
// The records of the parameter files and the version file are written as they
// lie in memory, least significant byte first on every camera the module
// builds for. A big-endian processor would read every other camera's files
// wrong: it needs each key, value and version swapped where they are read and
// written before this assertion can go.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "parameter files are little-endian: a big-endian camera must swap their bytes");

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
    return loadFromFile(platform::kVersionFile, reinterpret_cast<char*>(p_pnVersion),
                        static_cast<INT64>(sizeof(*p_pnVersion))) >= 1
               ? 0
               : -1;
}

int setVersion(u32 p_nVersion) {
    // A short write replaces nothing: only the whole number counts as saved.
    return saveToFile(
               const_cast<char*>(platform::kVersionFile), reinterpret_cast<char*>(&p_nVersion),
               static_cast<INT64>(sizeof(p_nVersion))) == static_cast<int>(sizeof(p_nVersion))
               ? 0
               : -1;
}
