#pragma once

#include <cstdint>

// The two things the observer is asked around a set of dark frames.
enum class DarkPromptStep {
    CoverCamera,    // before the dark exposures
    UncoverCamera,  // after them, before the recording's first frame
};

// How the camera thread asks the observer to cover or uncover the camera:
// the main window's prompt window, or the terminal of omtrix-capture.
class DarkPromptUi {
  public:
    virtual ~DarkPromptUi() = default;
    // Called on the camera thread; returns at once, the asking happens on the
    // receiver's own thread. The observer's answer comes back through
    // TVideoCapture::DarkPromptAnswered; meanwhile the camera thread waits
    // (and stops waiting when the program ends).
    virtual void AskObserver(DarkPromptStep step) = 0;
    // Called on the camera thread as dark exposure `index` of `count`
    // (counted from 1) begins; nothing is waited for.
    virtual void DarkFrameBegins(int32_t /*index*/, int32_t /*count*/) {}
};
