#include "platform/RefCountManager.h"

ref_count::ref_count(void* pointer) : m_pPointer(pointer), m_nCount(1) {
    pthread_mutex_init(&m_mutex, nullptr);
}

ref_count::~ref_count() {
    pthread_mutex_destroy(&m_mutex);
}

int ref_count::lock() {
    return pthread_mutex_lock(&m_mutex);
}

void ref_count::unLock() {
    pthread_mutex_unlock(&m_mutex);
}

void* ref_count::getPointer() const {
    return m_pPointer;
}

// The count is changed only under the counter's lock, held by the caller.
int ref_count::inc_reference() {
    if (m_nCount == 0) {
        return 0;
    }
    return ++m_nCount;
}

int ref_count::dec_reference() {
    if (m_nCount > 0) {
        --m_nCount;
    }
    return m_nCount;
}

int ref_count::count() const {
    return m_nCount;
}

void ref_count::rebind(void* pointer) {
    m_pPointer = pointer;
    m_nCount = 1;
}

RefCountManager::RefCountManager() {
    pthread_mutex_init(&m_mutex, nullptr);
}

RefCountManager* RefCountManager::getInstance() {
    static RefCountManager* instance = new RefCountManager();
    return instance;
}

ref_count* RefCountManager::retrieveRefCount(void* pointer, const char*) {
    pthread_mutex_lock(&m_mutex);
    ref_count*& counter = m_mapCounters[pointer];
    bool alive = false;
    if (counter) {
        counter->lock();
        alive = counter->inc_reference() != 0;
        counter->unLock();
    }
    if (!alive) {
        // A counter whose object is gone is not handed out again.
        counter = new ref_count(pointer);
    }
    ref_count* result = counter;
    pthread_mutex_unlock(&m_mutex);
    return result;
}

void RefCountManager::returnbackRefCount(ref_count* counter, const char*) {
    if (!counter) {
        return;
    }
    pthread_mutex_lock(&m_mutex);
    for (auto it = m_mapCounters.begin(); it != m_mapCounters.end(); ++it) {
        if (it->second == counter) {
            m_mapCounters.erase(it);
            break;
        }
    }
    pthread_mutex_unlock(&m_mutex);
    delete counter;
}

int RefCountManager::liveCounters() {
    pthread_mutex_lock(&m_mutex);
    int live = static_cast<int>(m_mapCounters.size());
    pthread_mutex_unlock(&m_mutex);
    return live;
}
