#include "platform/TXMutex.h"

TXMutex::TXMutex() {
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&m_mutex, &attr);
    pthread_mutexattr_destroy(&attr);
}

TXMutex::~TXMutex() {
    pthread_mutex_destroy(&m_mutex);
}

void TXMutex::Lock(const char*, int) {
    pthread_mutex_lock(&m_mutex);
}

void TXMutex::Unlock(const char*, int) {
    pthread_mutex_unlock(&m_mutex);
}

bool TXMutex::TryLock(const char*, int) {
    return pthread_mutex_trylock(&m_mutex) == 0;
}
