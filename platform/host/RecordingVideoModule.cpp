#include "platform/host/RecordingVideoModule.h"

int RecordingVideoModule::getStreamParams(std::vector<AVStreamParam>& streams) const {
    std::lock_guard<std::mutex> guard(m_mutex);
    streams = m_streams;
    return 0;
}

int RecordingVideoModule::notifySensorChange(int channel, int key, int value) const {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_notifications.push_back(Notification{channel, key, value});
    return m_nResult;
}

void RecordingVideoModule::setStreams(const std::vector<AVStreamParam>& streams) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_streams = streams;
}

void RecordingVideoModule::failNotifications(int result) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_nResult = result;
}

std::vector<RecordingVideoModule::Notification> RecordingVideoModule::notifications() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_notifications;
}

void RecordingVideoModule::clearNotifications() {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_notifications.clear();
}
