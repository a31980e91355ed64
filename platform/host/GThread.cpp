#include "platform/GThread.h"

#include <pthread.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "platform/function.h"

namespace {
// The GThread whose body runs on this thread, if any.
thread_local const void* t_pRunningThread = nullptr;
}  // namespace

struct GThread::Impl {
    Impl(const function<int>& b, const char* n, const function<int>& s, const function<int>& e)
        : body(b), onStart(s), onStop(e), name(n ? n : ""), stopRequested(false), running(false) {}

    void loop() {
        pthread_setname_np(pthread_self(), name.substr(0, 15).c_str());
        t_pRunningThread = this;
        try {
            onStart();
            while (!stopRequested) {
                body();
            }
            onStop();
        } catch (...) {
            // A body that throws ends the thread; stop() still joins it.
        }
        running = false;
    }

    function<int> body;
    function<int> onStart;
    function<int> onStop;
    std::string name;
    std::atomic<bool> stopRequested;
    std::atomic<bool> running;
    std::mutex control;  // serialises start() and stop()
    std::thread thread;
};

GThread::GThread(const function<int>& body, const char* name, const function<int>& onStart,
                 const function<int>& onStop)
    : m_pImpl(new Impl(body, name, onStart, onStop)) {}

GThread::~GThread() {
    stop();
    delete m_pImpl;
}

bool GThread::start() {
    if (t_pRunningThread == m_pImpl) {
        return m_pImpl->running && !m_pImpl->stopRequested;
    }
    std::lock_guard<std::mutex> guard(m_pImpl->control);
    if (m_pImpl->thread.joinable()) {
        if (m_pImpl->running && !m_pImpl->stopRequested) {
            return true;
        }
        // A thread asked to stop (also by its own body) ends before it runs again.
        m_pImpl->thread.join();
    }
    m_pImpl->stopRequested = false;
    m_pImpl->running = true;
    try {
        m_pImpl->thread = std::thread(&Impl::loop, m_pImpl);
    } catch (...) {
        m_pImpl->running = false;
        return false;
    }
    return true;
}

bool GThread::stop() {
    if (t_pRunningThread == m_pImpl) {
        // The body cannot wait for itself: ask the loop to end instead.
        m_pImpl->stopRequested = true;
        return false;
    }
    std::lock_guard<std::mutex> guard(m_pImpl->control);
    if (!m_pImpl->thread.joinable()) {
        return true;
    }
    m_pImpl->stopRequested = true;
    m_pImpl->thread.join();
    return true;
}

bool GThread::isRunning() const {
    return m_pImpl->running;
}

int GThread::emptyFun() {
    return 0;
}
