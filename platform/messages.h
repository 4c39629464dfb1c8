#pragma once

#include <QEvent>

class QObject;

// The private messages the workers post to the main window, with the numbers
// they have always had. Posting is safe from any thread; the handlers run on
// the GUI thread, in the order the messages were posted.
enum MainWindowMessage : int {
    MSG_FRAME_READY = 0x1400,     // acquisition thread: a frame is in the list
    MSG_RENDER_PREVIEW = 0x1401,  // frame-ready handler: the working bitmap is filled
    MSG_RECORD_FRAME = 0x1402,    // frame-ready handler: the recorder may take a frame
    // Acquisition thread: ask the observer to cover, or to uncover, the camera
    // for dark frames.
    MSG_COVER_CAMERA = 0x1403,
    MSG_UNCOVER_CAMERA = 0x1404,
    // Acquisition thread: a dark exposure begins.
    MSG_DARK_PROGRESS = 0x1405,
};

// Where the workers' messages go. The main window and the headless capture
// command each register their receiver once at start.
class MessagePoster {
  public:
    virtual ~MessagePoster() = default;
    virtual void Post(MainWindowMessage message) = 0;
};

// The message an event received by event() carries, or 0 when it is not one
// of ours. Receivers read every event through this, since it also tells the
// thread checker that the event came from the posting thread.
int ReceivedMessage(QEvent *event);

// Posts to a QObject living on the GUI thread; its event() sees an event whose
// type() is the message number.
class QtMessagePoster : public MessagePoster {
  public:
    explicit QtMessagePoster(QObject *receiver) : receiver_(receiver) {}
    void Post(MainWindowMessage message) override;

  private:
    QObject *receiver_;
};
