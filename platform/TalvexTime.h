// A duration, and the sleep for it.
#ifndef PLATFORM_TALVEXTIME_H
#define PLATFORM_TALVEXTIME_H

class TalvexTime {
  public:
    TalvexTime(long seconds, long microseconds)
        : m_nSeconds(seconds), m_nMicroseconds(microseconds) {}
    long seconds() const { return m_nSeconds; }
    long microseconds() const { return m_nMicroseconds; }
    long long totalMicroseconds() const { return m_nSeconds * 1000000LL + m_nMicroseconds; }

  private:
    long m_nSeconds;
    long m_nMicroseconds;
};

// Sleeps for the duration (scaled off the camera, see HostSeams.h).
void wait(TalvexTime duration);

#endif
