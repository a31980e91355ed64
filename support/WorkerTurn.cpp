#include "support/WorkerTurn.h"

#include <chrono>
#include <thread>

#include "support/SensorDebug.h"

namespace {

// Real time, not the scaled waits of the module: what is awaited is another
// thread's operation.
const std::chrono::microseconds kPause(500);
const int kWorkerTries = 2000;  // about a second
// A host thread that already holds the mutex (a nested operation) waits for
// a worker that cannot get it; the worker gives up within its tries.
const int kHostTries = kWorkerTries + 100;

}  // namespace

void WorkerTurn::letWorkerFirst() const {
    for (int i = 0; i < kHostTries && m_bWorkerWaiting.load(); ++i) {
        std::this_thread::sleep_for(kPause);
    }
}

bool WorkerTurn::take(TXMutex& mutex, const std::function<bool()>& stop) {
    if (mutex.TryLock(snsBaseName(__FILE__), __LINE__)) {
        return true;
    }
    m_bWorkerWaiting.store(true);
    bool taken = false;
    for (int i = 0; i < kWorkerTries && !taken && !stop(); ++i) {
        std::this_thread::sleep_for(kPause);
        taken = mutex.TryLock(snsBaseName(__FILE__), __LINE__);
    }
    m_bWorkerWaiting.store(false);
    return taken;
}
