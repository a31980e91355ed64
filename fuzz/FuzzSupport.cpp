#include "fuzz/FuzzSupport.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "fuzz/FuzzEntries.h"
#include "platform/CameraPaths.h"
#include "platform/HostSeams.h"
#include "platform/VideoStreamModule.h"
#include "platform/host/CameraModule.h"
#include "platform/ia_sim.h"
#include "tools/sample/SampleCamera.h"

namespace {

std::string g_strScratchBase;
std::string g_strSandbox;
ISensorController* g_pController = nullptr;
bool g_bControllerInitialised = false;
const VideoStreamModule g_objVideo;  // answers no streams and success

bool writeHostFile(const std::string& path, const std::string& bytes) {
    makeDirs(path.substr(0, path.find_last_of('/')));
    return writeWholeFile(path, bytes);
}

std::string scratchBase() {
    if (!g_strScratchBase.empty()) {
        return g_strScratchBase;
    }
    const char* tmpdir = getenv("TMPDIR");
    return tmpdir && *tmpdir ? tmpdir : "/tmp";
}

void createSandbox() {
    std::string base = scratchBase();
    makeDirs(base);
    std::string pattern = base + "/sensor-fuzz-XXXXXX";
    fuzzCheck(mkdtemp(&pattern[0]) != nullptr, "a sandbox root can be created");
    g_strSandbox = pattern;
    std::vector<SampleFile> files;
    std::string error;
    bool seeded = readSampleData(SENSOR_DATA_DIR, files, error) &&
                  seedSampleCamera(files, "box", g_strSandbox, error);
    if (!seeded) {
        fprintf(stderr, "%s\n", error.c_str());
    }
    fuzzCheck(seeded, "the sandbox is seeded with the sample box camera");
    iasim::reset();
}

}  // namespace

// --- input ------------------------------------------------------------------

uint8_t FuzzInput::byte() {
    return m_nPos < m_nSize ? m_pData[m_nPos++] : 0;
}

uint16_t FuzzInput::u16() {
    uint16_t low = byte();
    return static_cast<uint16_t>(low | (byte() << 8));
}

int32_t FuzzInput::i32() {
    uint32_t bits = u16();
    bits |= static_cast<uint32_t>(u16()) << 16;
    int32_t value;
    memcpy(&value, &bits, sizeof(value));
    return value;
}

std::string FuzzInput::text() {
    std::string out;
    while (m_nPos < m_nSize && m_pData[m_nPos] != 0) {
        out += static_cast<char>(m_pData[m_nPos++]);
    }
    if (m_nPos < m_nSize) {
        ++m_nPos;  // the NUL
    }
    return out;
}

std::string FuzzInput::block() {
    size_t length = u16();
    size_t available = m_nPos < m_nSize ? m_nSize - m_nPos : 0;
    length = length < available ? length : available;
    std::string out(reinterpret_cast<const char*>(m_pData + m_nPos), length);
    m_nPos += length;
    return out;
}

std::string FuzzInput::rest() {
    std::string out;
    if (m_nPos < m_nSize) {
        out.assign(reinterpret_cast<const char*>(m_pData + m_nPos), m_nSize - m_nPos);
        m_nPos = m_nSize;
    }
    return out;
}

void fuzzCheck(bool condition, const char* promise) {
    if (!condition) {
        fprintf(stderr, "fuzz check failed: %s\n", promise);
        abort();
    }
}

// --- sandbox ----------------------------------------------------------------

const std::string& fuzzSandbox() {
    if (g_strSandbox.empty()) {
        createSandbox();
    }
    platform::setFsRoot(g_strSandbox);
    platform::setWaitScale(1);
    platform::setFakeClock(12, 0);
    return g_strSandbox;
}

void writeSandboxFile(const std::string& cameraPath, const std::string& bytes) {
    fuzzCheck(writeHostFile(fuzzSandbox() + cameraPath, bytes), "a sandbox file can be written");
}

void removeSandboxFile(const std::string& cameraPath) {
    unlink((fuzzSandbox() + cameraPath).c_str());
}

std::string sampleDataFile(const std::string& relativePath) {
    std::string bytes;
    readRegularFile(SENSOR_DATA_DIR "/" + relativePath, bytes);
    return bytes;
}

void setFuzzScratchBase(const std::string& directory) {
    g_strScratchBase = directory;
}

void fuzzShutdown() {
    delete g_pController;
    g_pController = nullptr;
    g_bControllerInitialised = false;
    if (!g_strSandbox.empty()) {
        removeHostTree(g_strSandbox);
        g_strSandbox.clear();
    }
    platform::setFsRoot("");
    platform::clearFakeClock();
    platform::setWaitScale(100);
}

// --- controller -------------------------------------------------------------

ModuleConfigure sampleModuleConfigure() {
    fuzzSandbox();
    ModuleConfigure module = platform::cameraModuleConfigure(1);
    fuzzCheck(module.getModuleId() == 1, "the sample disk configures camera 1");
    return module;
}

ISensorController& sharedController(bool initialised) {
    fuzzSandbox();
    if (!g_pController) {
        g_pController = new ISensorController();
        g_pController->setChannelID(1);
        g_pController->setVideoStreamModule(&g_objVideo);
    }
    if (initialised && !g_bControllerInitialised) {
        fuzzCheck(g_pController->init(sampleModuleConfigure()), "the sample camera initialises");
        g_bControllerInitialised = true;
    }
    return *g_pController;
}
