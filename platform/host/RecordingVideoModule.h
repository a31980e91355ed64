// A video module for tests and tools: a settable stream list, every
// notification recorded in order, and a failure code on demand.
#ifndef PLATFORM_HOST_RECORDINGVIDEOMODULE_H
#define PLATFORM_HOST_RECORDINGVIDEOMODULE_H

#include <mutex>
#include <vector>

#include "platform/VideoStreamModule.h"

class RecordingVideoModule : public VideoStreamModule {
  public:
    struct Notification {
        int channel;
        int key;
        int value;
        bool operator==(const Notification& o) const {
            return channel == o.channel && key == o.key && value == o.value;
        }
    };

    int getStreamParams(std::vector<AVStreamParam>& streams) const override;
    int notifySensorChange(int channel, int key, int value) const override;

    void setStreams(const std::vector<AVStreamParam>& streams);
    // Every later notification returns result (0: success again).
    void failNotifications(int result);
    std::vector<Notification> notifications() const;
    void clearNotifications();

  private:
    mutable std::mutex m_mutex;
    std::vector<AVStreamParam> m_streams;
    mutable std::vector<Notification> m_notifications;
    int m_nResult = 0;
};

#endif
