#include "CameraSandbox.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <vector>

#include "platform/HostSeams.h"
#include "platform/MachineInfo.h"
#include "platform/ShellQuote.h"
#include "platform/host/CameraModule.h"
#include "tools/sample/SampleCamera.h"

namespace {

bool run(const std::string& command) {
    return system(command.c_str()) == 0;
}

}  // namespace

CameraSandbox::CameraSandbox(const std::string& family) : m_bReady(false) {
    std::string base = SENSOR_BENCH_SANDBOXES;
    if (!run("mkdir -p " + platform::shellQuoted(base))) {
        return;
    }
    std::string pattern = base + "/bench-" + family + "-XXXXXX";
    if (!mkdtemp(&pattern[0])) {
        return;
    }
    m_strRoot = pattern;
    std::vector<SampleFile> files;
    std::string error;
    m_bReady = readSampleData(SENSOR_DATA_DIR, files, error) &&
               seedSampleCamera(files, family, m_strRoot, error);
    if (!m_bReady) {
        fprintf(stderr, "%s\n", error.c_str());
    }
    platform::setFsRoot(m_strRoot);
}

CameraSandbox::~CameraSandbox() {
    platform::setFsRoot("");
    if (!m_strRoot.empty()) {
        run("rm -rf " + platform::shellQuoted(m_strRoot));
    }
}

long long CameraSandbox::sizeOf(const std::string& hostPath) {
    struct stat st;
    return stat(hostPath.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

ModuleConfigure CameraSandbox::moduleFor(int camera) const {
    return platform::cameraModuleConfigure(camera);
}
