// Scoped hold of a TXMutex: taken on construction, released on destruction.
#ifndef SUPPORT_TXMUTEXMANAGER_H
#define SUPPORT_TXMUTEXMANAGER_H

#include "platform/TXMutex.h"
#include "support/SensorDebug.h"

class TXMutexManager {
  public:
    // file and line name the caller, for the mutex's diagnostics.
    TXMutexManager(TXMutex& mutex, const char* file, int line) : m_objMutex(mutex) {
        m_objMutex.Lock(file, line);
    }
    ~TXMutexManager() {
        try {
            m_objMutex.Unlock(snsBaseName(__FILE__), __LINE__);
        } catch (...) {
        }
    }
    TXMutexManager(const TXMutexManager&) = delete;
    TXMutexManager& operator=(const TXMutexManager&) = delete;

  private:
    TXMutex& m_objMutex;
};

#define SNS_LOCK_GUARD(mutex) TXMutexManager snsLockGuard_(mutex, snsBaseName(__FILE__), __LINE__)

#endif
