// Lens zoom/focus parameters the host hands to the sensor module.
#ifndef PLATFORM_SENSORZOOMFOCUSPARAM_H
#define PLATFORM_SENSORZOOMFOCUSPARAM_H

class SensorZoomFocusParam {
  public:
    SensorZoomFocusParam() : m_bLockZoomFocus(false) {}

    // While true, lens commands are not sent to the processor.
    bool getLockZoomFocusEnable() const { return m_bLockZoomFocus; }
    void setLockZoomFocusEnable(bool lock) { m_bLockZoomFocus = lock; }

  private:
    bool m_bLockZoomFocus;
};

#endif
