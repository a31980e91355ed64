// What the fuzz targets share: reading an input, a sandbox root seeded with
// the sample box camera, and one initialised controller per process.
#ifndef FUZZ_FUZZSUPPORT_H
#define FUZZ_FUZZSUPPORT_H

#include <stddef.h>
#include <stdint.h>

#include <string>

#include "platform/ModuleConfigure.h"
#include "sensor/ISensorController.h"

// Reads an input front to back; past its end every read yields zeros or
// empty text, so any input is a valid one.
class FuzzInput {
  public:
    FuzzInput(const uint8_t* data, size_t size) : m_pData(data), m_nSize(size), m_nPos(0) {}

    bool empty() const { return m_nPos >= m_nSize; }
    uint8_t byte();
    uint16_t u16();  // little-endian
    int32_t i32();   // little-endian
    // Up to the next NUL byte, which is consumed, or to the end.
    std::string text();
    // A 16-bit length, then up to that many bytes.
    std::string block();
    std::string rest();

  private:
    const uint8_t* m_pData;
    size_t m_nSize;
    size_t m_nPos;
};

// Aborts with a message when a promise of the module does not hold.
void fuzzCheck(bool condition, const char* promise);

// The process's sandbox root: created under the scratch base on first use,
// seeded with data/hd1 and data/cameras/box, no sign file (debug level 1).
// Every call points the file-system root at it again, with the waits scaled
// to 1 % and the clock fixed at 12:00.
const std::string& fuzzSandbox();
// Writes or removes a file of the sandbox, named by its camera path.
void writeSandboxFile(const std::string& cameraPath, const std::string& bytes);
void removeSandboxFile(const std::string& cameraPath);

// A file of data/ by its path there, e.g. "cameras/box/hd1/...".
std::string sampleDataFile(const std::string& relativePath);

// The sample disk's module entry for camera 1, as the host reads it.
ModuleConfigure sampleModuleConfigure();

// A controller of camera 1 on the sandbox: constructed on first use and then
// initialised once, or left uninitialised (fuzzParamFiles drives init itself).
ISensorController& sharedController(bool initialised);

#endif
