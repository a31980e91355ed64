// Fair turns at a mutex between host threads and one periodic worker.
#ifndef SUPPORT_WORKERTURN_H
#define SUPPORT_WORKERTURN_H

#include <atomic>
#include <functional>

#include "platform/TXMutex.h"

// Host threads may call one operation after another without pause; a mutex
// does not promise that a worker waiting beside them ever gets it. A worker
// that finds the mutex taken announces that it waits, and host threads hold
// back from taking the mutex until the worker has had its turn or has given
// up, so the worker gets the mutex as soon as the operation in flight ends.
// The worker never blocks on the mutex: it gives up when asked to stop (an
// operation holding the mutex may be waiting for the worker to end) or after
// about a second.
class WorkerTurn {
  public:
    WorkerTurn() : m_bWorkerWaiting(false) {}
    WorkerTurn(const WorkerTurn&) = delete;
    WorkerTurn& operator=(const WorkerTurn&) = delete;

    // Host side, before taking the mutex.
    void letWorkerFirst() const;
    // Worker side: true when the mutex is taken (the caller unlocks it).
    bool take(TXMutex& mutex, const std::function<bool()>& stop);

  private:
    std::atomic<bool> m_bWorkerWaiting;
};

#endif
