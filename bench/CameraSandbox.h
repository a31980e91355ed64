// A temporary camera disk for the benchmark: a sandbox root seeded from
// data/ and made the module's file-system root, removed again at the end.
#ifndef BENCH_CAMERASANDBOX_H
#define BENCH_CAMERASANDBOX_H

#include <string>

#include "platform/ModuleConfigure.h"

class CameraSandbox {
  public:
    // Writes the sample disk of the family (data/hd1 and data/cameras/<family>)
    // into a new directory under the build directory and sets it as the root.
    explicit CameraSandbox(const std::string& family);
    ~CameraSandbox();
    CameraSandbox(const CameraSandbox&) = delete;
    CameraSandbox& operator=(const CameraSandbox&) = delete;

    bool ready() const { return m_bReady; }
    // The host path of a camera path.
    std::string hostPath(const std::string& cameraPath) const { return m_strRoot + cameraPath; }
    // Size of a camera file in bytes; -1 when it is missing.
    long long fileSize(const std::string& cameraPath) const { return sizeOf(hostPath(cameraPath)); }
    // Size of a host file in bytes; -1 when it is missing.
    static long long sizeOf(const std::string& hostPath);
    // The disk's module entry for the camera, as the host reads it.
    ModuleConfigure moduleFor(int camera) const;

  private:
    std::string m_strRoot;
    bool m_bReady;
};

#endif
