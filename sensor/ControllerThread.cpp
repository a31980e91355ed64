// The sensor thread's tick: the scheme decision by day/night state or by
// schedule, taken in its turn at the controller's mutex.
#include <functional>

#include "sensor/ControllerPrivate.h"

namespace {

// The sensor thread's hold of the controller's mutex for one tick: taken in
// its turn among host operations (see WorkerTurn), or not at all when a
// reset or uinit is stopping the thread.
class TickLockGuard {
  public:
    TickLockGuard(TXMutex& mutex, WorkerTurn& turn, const std::function<bool()>& stop)
        : m_objMutex(mutex), m_bHeld(turn.take(mutex, stop)) {}
    ~TickLockGuard() {
        if (m_bHeld) {
            m_objMutex.Unlock(snsBaseName(__FILE__), __LINE__);
        }
    }
    TickLockGuard(const TickLockGuard&) = delete;
    TickLockGuard& operator=(const TickLockGuard&) = delete;
    bool held() const { return m_bHeld; }

  private:
    TXMutex& m_objMutex;
    bool m_bHeld;
};

}  // namespace

// One tick. The decision runs under m_objMutex, taken in the tick's turn: a
// host calling without pause delays the decision by one operation at most,
// and a reset or uinit that holds the mutex while it stops this thread makes
// the tick give up the decision instead of waiting for it.
int ISensorController::sensorThread() {
    if (!hasFlag(resetting_flag)) {
        wait(TalvexTime(1, 0));
    }
    TickLockGuard guard(m_objMutex, m_objTickTurn,
                        [this] { return hasFlag(resetting_flag | uniniting_flag); });
    if (!guard.held()) {
        // A reset holding the lock keeps the tick from sleeping: pause briefly
        // instead of spinning until it is done.
        wait(TalvexTime(0, 10000));
        return 0;
    }
    return decideScheme(SNS_OPERATION);
}

// The tick's decision; its reports are the tick's (op).
int ISensorController::decideScheme(const SnsOperation& op) {
    if (m_nParamMode == 0) {
        return 0;
    }
    if (m_bSchemeByDayNight) {
        int nScheme = dayNightScheme();
        if (schemeInForce(nScheme) || hasFlag(SNS_BUSY_MASK)) {
            return 0;
        }
        SNS_DBG_FOR(op, 0, "SCHEME: auto switch_to(%d)\n", nScheme);
        SNS_ASSERT_FOR(op, SNS_SUCCESS == switch_to(nScheme), "nScheme(%d)\n", nScheme);
        return 0;
    }
    if (m_bSchemeBySchedule) {
        return decideBySchedule(op);
    }
    return 0;
}

// Schedule mode: the scheme whose window holds the time, else scheme 0; a
// licence-plate camera follows day and night outside every window.
int ISensorController::decideBySchedule(const SnsOperation& op) {
    int nScheme = 0;
    int nSchedule = 0;
    SNS_ASSERT_FOR(op, SNS_SUCCESS == judgeCurScheme(nScheme, nSchedule), "nScheme(%d)\n", nScheme);
    if (m_bLprDevice && nSchedule == 0) {
        nScheme = dayNightScheme();
        if ((m_nLastSchedule == 0 && schemeInForce(nScheme)) || hasFlag(SNS_BUSY_MASK)) {
            return 0;
        }
        LPR_switch_to(nScheme);
        m_nLastSchedule = 0;
        return 0;
    }
    if (m_bLprDevice) {
        if ((nSchedule == m_nLastSchedule && schemeInForce(nScheme)) || hasFlag(SNS_BUSY_MASK)) {
            return 0;
        }
        SNS_DBG_FOR(op, 0, "SCHEME: auto switch_to(%d)\n", nScheme);
        if (m_nLastSchedule == nSchedule) {
            SNS_ASSERT_FOR(op, SNS_SUCCESS == switch_to(nScheme), "nScheme(%d)\n", nScheme);
        } else {
            SNS_ASSERT_FOR(op, SNS_SUCCESS == switch_to(nScheme, true), "nScheme(%d)\n", nScheme);
        }
        m_nLastSchedule = nSchedule;
        return 0;
    }
    if (schemeInForce(nScheme) || hasFlag(SNS_BUSY_MASK)) {
        return 0;
    }
    SNS_DBG_FOR(op, 0, "SCHEME: auto switch_to(%d)\n", nScheme);
    SNS_ASSERT_FOR(op, SNS_SUCCESS == switch_to(nScheme), "nScheme(%d)\n", nScheme);
    return 0;
}

// Scheme 1 at night, scheme 0 by day; a camera with a single user scheme
// keeps it at night too.
int ISensorController::dayNightScheme() {
    int nState = 0;
    getDNState(nState);
    return nState != 0 && m_stSysConf.nSchemeSum >= 2 ? 1 : 0;
}

// The scheme is current and its switch completed: a switch that failed
// part-way is applied again by the next tick.
bool ISensorController::schemeInForce(int p_nScheme) const {
    return p_nScheme == m_nCurScheme && !m_bSwitchIncomplete;
}
