// The base library's thread: runs its body again and again until stopped.
#ifndef PLATFORM_GTHREAD_H
#define PLATFORM_GTHREAD_H

#include <string>

template <class R>
class function;

class GThread {
  public:
    // body: called again and again on the thread; name: the thread's name;
    // onStart and onStop: called once on the thread before the first and after
    // the last call of the body.
    GThread(const function<int>& body, const char* name, const function<int>& onStart,
            const function<int>& onStop);
    ~GThread();
    GThread(const GThread&) = delete;
    GThread& operator=(const GThread&) = delete;

    // True when the thread runs (also when it ran already).
    bool start();
    // Returns once the body no longer runs; true on success. A stopped thread
    // can be started again. Refused (false) from the thread itself.
    bool stop();
    bool isRunning() const;

    // The do-nothing hook.
    static int emptyFun();

  private:
    struct Impl;
    Impl* m_pImpl;
};

#endif
