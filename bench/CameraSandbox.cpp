#include "CameraSandbox.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <vector>

#include "platform/HostSeams.h"
#include "platform/host/CameraModule.h"
#include "platform/MachineInfo.h"

std::string shellQuoted(const std::string& path) {
    std::string text = "'";
    for (char c : path) {
        text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return text + "'";
}

namespace {

bool run(const std::string& command) {
    return system(command.c_str()) == 0;
}

}  // namespace

CameraSandbox::CameraSandbox(const std::string& family) : m_bReady(false) {
    std::string base = SENSOR_BENCH_SANDBOXES;
    if (!run("mkdir -p " + shellQuoted(base))) {
        return;
    }
    std::string pattern = base + "/bench-" + family + "-XXXXXX";
    if (!mkdtemp(&pattern[0])) {
        return;
    }
    m_strRoot = pattern;
    std::string data = SENSOR_DATA_DIR;
    m_bReady = run("mkdir -p " + shellQuoted(m_strRoot + "/hd1")) &&
               run("cp -R " + shellQuoted(data + "/hd1") + "/. " + shellQuoted(m_strRoot + "/hd1") +
                   "/") &&
               run("cp -R " + shellQuoted(data + "/cameras/" + family) + "/. " +
                   shellQuoted(m_strRoot) + "/");
    platform::setFsRoot(m_strRoot);
}

CameraSandbox::~CameraSandbox() {
    platform::setFsRoot("");
    if (!m_strRoot.empty()) {
        run("rm -rf " + shellQuoted(m_strRoot));
    }
}

long long CameraSandbox::sizeOf(const std::string& hostPath) {
    struct stat st;
    return stat(hostPath.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

ModuleConfigure CameraSandbox::moduleFor(int camera) const {
    return platform::cameraModuleConfigure(camera);
}
