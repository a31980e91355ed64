// The base library's mutex. The same thread may take it again (it counts its
// holds), so a path that re-enters a locked operation cannot deadlock itself.
#ifndef PLATFORM_TXMUTEX_H
#define PLATFORM_TXMUTEX_H

#include <pthread.h>

class TXMutex {
  public:
    TXMutex();
    ~TXMutex();
    TXMutex(const TXMutex&) = delete;
    TXMutex& operator=(const TXMutex&) = delete;

    // file and line name the caller, for the mutex's own diagnostics.
    void Lock(const char* file, int line);
    void Unlock(const char* file, int line);
    // Takes the mutex only when no other thread holds it; true when taken.
    bool TryLock(const char* file, int line);

  private:
    pthread_mutex_t m_mutex;
};

#endif
