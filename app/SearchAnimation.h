#pragma once
// TAnimate: the small animated picture that plays while a scan runs: a
// magnifying glass circling over a folder full of papers, painted with
// QPainter, one picture per frame. It stands where the platform's find-folder
// clip would be (80 x 50), with a transparent background.
//
// A timer runs only while the animation is active and the widget is visible:
// a stopped or hidden animation costs nothing. Stopped, it shows frame 0.

#include <QTimer>
#include <QWidget>

class TAnimate : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE setActive NOTIFY activeChanged)
    Q_PROPERTY(int StopFrame READ StopFrame WRITE setStopFrame)
    Q_PROPERTY(int CurrentFrame READ CurrentFrame NOTIFY frameChanged)

public:
    // Last frame of the loop unless set otherwise: 30 frames, 0 to 29.
    static constexpr int DefaultStopFrame = 29;
    // Time between frames, about 15 frames per second.
    static constexpr int FrameIntervalMs = 67;
    // The picture's design size; it scales to other sizes.
    static constexpr QSize DesignSize{80, 50};

    explicit TAnimate(QWidget *parent = nullptr);

    // Whether the animation plays. Switching it on starts from frame 0;
    // switching it off goes back to frame 0.
    bool Active() const { return m_active; }
    void setActive(bool active);

    // Same as setActive(true) and setActive(false).
    void Play() { setActive(true); }
    void Stop() { setActive(false); }

    // Frame shown now, 0 to StopFrame().
    int CurrentFrame() const { return m_frame; }

    // Shows `frame` (clamped to 0..StopFrame()); a playing animation goes on
    // from there.
    void Seek(int frame);

    // Last frame of the loop: after it the animation starts again at frame 0.
    // Negative values count as 0; a current frame beyond the new end goes
    // back to frame 0.
    int StopFrame() const { return m_stopFrame; }
    void setStopFrame(int frame);

    QSize sizeHint() const override { return DesignSize; }

signals:
    // The picture moved to `frame`.
    void frameChanged(int frame);
    void activeChanged(bool active);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void nextFrame();
    void setFrame(int frame);
    void updateTimer();

    QTimer m_timer;
    bool m_active = false;
    int m_frame = 0;
    int m_stopFrame = DefaultStopFrame;
};
