// The firmware's video module, as the sensor module sees it.
#ifndef PLATFORM_VIDEOSTREAMMODULE_H
#define PLATFORM_VIDEOSTREAMMODULE_H

#include <vector>

// One configured video stream.
class AVStreamParam {
  public:
    AVStreamParam() : m_nFrameRate(25), m_nVideoEncoderType(0), m_nVideoHeight(1080) {}

    int getFrameRate() const { return m_nFrameRate; }
    int getVideoEncoderType() const { return m_nVideoEncoderType; }
    int getVideoHeight() const { return m_nVideoHeight; }
    void setFrameRate(int rate) { m_nFrameRate = rate; }
    void setVideoEncoderType(int type) { m_nVideoEncoderType = type; }
    void setVideoHeight(int height) { m_nVideoHeight = height; }

  private:
    int m_nFrameRate;
    int m_nVideoEncoderType;
    int m_nVideoHeight;
};

class VideoStreamModule {
  public:
    virtual ~VideoStreamModule() {}
    // The configured streams; 0 on success. The base answers none.
    virtual int getStreamParams(std::vector<AVStreamParam>& streams) const {
        streams.clear();
        return 0;
    }
    // A sensor setting that affects the encoded picture changed; 0 on success.
    virtual int notifySensorChange(int channel, int key, int value) const {
        (void)channel;
        (void)key;
        (void)value;
        return 0;
    }
};

#endif
