// Shared reference counters of the base library, handed out per pointer.
#ifndef PLATFORM_REFCOUNTMANAGER_H
#define PLATFORM_REFCOUNTMANAGER_H

#include <pthread.h>

#include <map>

// Counts the references to one object. A counter is taken with lock() before
// its count is changed and released with unLock().
class ref_count {
  public:
    explicit ref_count(void* pointer);
    ~ref_count();
    ref_count(const ref_count&) = delete;
    ref_count& operator=(const ref_count&) = delete;

    // 0 when the counter is taken.
    int lock();
    void unLock();
    // The object counted.
    void* getPointer() const;
    // The new count; 0 when the object is already gone (count was 0).
    int inc_reference();
    // The new count; 0 when the last reference went.
    int dec_reference();
    int count() const;
    // Points a pooled counter at another object with one reference.
    void rebind(void* pointer);

  private:
    pthread_mutex_t m_mutex;
    void* m_pPointer;
    int m_nCount;
};

class RefCountManager {
  public:
    static RefCountManager* getInstance();

    // The counter of pointer. A pointer seen for the first time gets a counter
    // holding one reference; a known one gets its counter with one more.
    ref_count* retrieveRefCount(void* pointer, const char* typeName);
    // Hands a counter back once its object is gone.
    void returnbackRefCount(ref_count* counter, const char* typeName);
    // Counters in use (for leak checks).
    int liveCounters();

  private:
    RefCountManager();
    pthread_mutex_t m_mutex;
    std::map<void*, ref_count*> m_mapCounters;
};

#endif
