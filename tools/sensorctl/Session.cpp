#include "Session.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "CameraRoot.h"
#include "EmbeddedData.h"
#include "SimProfile.h"
#include "platform/CameraPaths.h"
#include "platform/HostSeams.h"
#include "platform/MachineInfo.h"
#include "platform/host/CameraModule.h"
#include "sensor/SensorFile.h"

Session::Session(const Options& options, FILE* answers)
    : m_objOptions(options), m_pAnswers(answers) {}

Session::~Session() {
    close();
}

bool Session::prepareRoot(std::string& family, std::string& error) {
    m_strRoot = absoluteDir(m_objOptions.root);
    const std::string& asked = m_objOptions.family;
    std::string held = rootFamily(m_strRoot);
    bool blank = held.empty() && blankDir(m_strRoot);
    if (!blank && !directoryExists(m_strRoot)) {
        error = "root " + m_objOptions.root + " is not a directory";
        return false;
    }
    // A directory of other files is used as it is, but never replaced.
    if (m_objOptions.reseed && !blank && held.empty()) {
        m_bRefused = true;
        error =
            "root " + m_objOptions.root + " holds files sensorctl did not seed; not replacing it";
        return false;
    }
    family = !asked.empty() ? asked : !held.empty() ? held : "box";
    if (blank || m_objOptions.reseed) {
        if (!seedRoot(m_strRoot, family, m_objOptions.reseed, error)) {
            return false;
        }
        held = rootFamily(m_strRoot);  // another run's, when it seeded first
    }
    if (!held.empty() && held != family) {
        if (!asked.empty()) {
            m_bRefused = true;
            error = "root " + m_objOptions.root + " holds a " + held + " camera, not " + asked +
                    " (use --reseed to replace it)";
            return false;
        }
        family = held;
    }
    platform::setFsRoot(m_strRoot);
    platform::setWaitScale(effectiveWaitScale(m_objOptions));
    return m_objOptions.debug.empty() || writeSignFile(m_strRoot, m_objOptions.debug, error);
}

bool Session::loadProfile(const std::string& family, std::string& error) {
    std::string text;
    std::string name = m_objOptions.profile;
    if (name.empty()) {
        name = "profiles/" + family + ".profile";
        const EmbeddedFile* file = findEmbedded(name);
        if (file) {
            text.assign(reinterpret_cast<const char*>(file->bytes), file->size);
        }
    } else if (!readHostFile(name, text)) {
        error = "cannot read profile " + name;
        return false;
    }
    if (!applyProfile(text, channel(), error)) {
        error = "profile " + name + ": " + error;
        return false;
    }
    return true;
}

// Points standard output (where the module prints) at the log in the root,
// emptied for this run. Only a regular file is written: a link or a FIFO in
// its place keeps the diagnostics on standard error.
void Session::keepDiagnostics() {
    std::string path = m_strRoot + "/sensorctl.log";
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    struct stat st;
    bool regular = fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (!regular || ftruncate(fd, 0) != 0) {
        fprintf(stderr, "sensorctl: cannot keep the diagnostics in %s; they follow here\n",
                path.c_str());
    } else {
        fflush(stdout);
        if (dup2(fd, STDOUT_FILENO) >= 0) {
            m_strLog = path;
        }
    }
    if (fd >= 0) {
        ::close(fd);
    }
}

bool Session::open(std::string& error) {
    std::string family;
    if (!prepareRoot(family, error)) {
        return false;
    }
    if (!m_objOptions.verbose) {
        keepDiagnostics();
    }
    // The constructor reads the machine information of the root.
    m_pController.reset(new ISensorController());
    m_pController->setChannelID(m_objOptions.camera);
    MachineInfo machine;
    SystemInfoParser::parseMachineInfo(platform::kMachineInfoFile, machine);
    m_nChannel = machine.getDeviceType() == DeviceType::THERMAL_DOUBLE_SENSOR_DEVICE
                     ? 1
                     : m_objOptions.camera - 1;
    if (!loadProfile(family, error)) {
        m_pController.reset();
        return false;
    }
    m_pController->setVideoStreamModule(&m_objVideo);
    m_pController->init(moduleConfigure());
    return true;
}

void Session::close() {
    if (m_pController) {
        m_pController->uinit();
        m_pController.reset();
    }
}

ModuleConfigure Session::moduleConfigure() const {
    return platform::cameraModuleConfigure(m_objOptions.camera);
}

u32 Session::schemeCount() const {
    u32 count = DEFAULT_SCHEME_SUM;
    getDetailFieldTou32(moduleConfigure().getDetail().c_str(), "max_scheme", &count);
    return std::min<u32>(count, SNS_SCHEME_MAX);
}

void Session::answer(const std::string& text) {
    fputs(text.c_str(), m_pAnswers);
    if (text.empty() || text.back() != '\n') {
        fputc('\n', m_pAnswers);
    }
    fflush(m_pAnswers);
}
