// Dark frames: the number of dark exposures the observer sets, and the
// prompts the camera thread asks for around them.
#include "app/dark_prompt_window.h"
#include "app/main_window.h"
#include "platform/tick_count.h"
#include "shell/text_format.h"
#include "widgets/seven_segment_counter.h"

void TForm1::VrCounter1Change() {
    Cap->DARKCOUNT = VrCounter1->Value();
}

void TForm1::AskObserver(DarkPromptStep step) {
    // Called on the camera thread: the prompt is shown on this window's thread.
    poster_.Post(step == DarkPromptStep::CoverCamera ? MSG_COVER_CAMERA : MSG_UNCOVER_CAMERA);
}

void TForm1::ShowDarkPrompt(DarkPromptStep step) {
    if (exit_routine_done_) {
        return;  // asked just before the program began to end
    }
    dark_prompt_step_ = step;
    Form3->SetCancelText(texts_.B_CANCEL);
    // Before the darks the observer may still give up the recording; after
    // them the camera must be uncovered either way.
    if (step == DarkPromptStep::CoverCamera) {
        Form3->Ask(texts_.MSG_COVERCAMERA, TForm3::OkAndCancel);
    } else {
        Form3->Ask(texts_.MSG_UNCOVERCAMERA, TForm3::OkOnly);
    }
}

void TForm1::DarkFrameBegins(int32_t index, int32_t count) {
    // Called on the camera thread: shown on this window's thread.
    dark_frame_count_ = count;
    dark_frame_index_ = index;
    poster_.Post(MSG_DARK_PROGRESS);
}

void TForm1::ShowDarkProgress() {
    // A notice that comes after a cancel, or at the end, shows nothing.
    if (exit_routine_done_ || !Recorder->Recording()) {
        return;
    }
    Form3->Ask(
        FormatText(texts_.MSG_DARKPROGRESS, {dark_frame_index_.load(), dark_frame_count_.load()}),
        TForm3::CancelOnly);
}

void TForm1::DarkPromptCancelled() {
    Recorder->StopRecording();  // no frame is written yet: no file is left
    if (dark_prompt_step_ == DarkPromptStep::CoverCamera) {
        // The camera thread waits on the cover prompt; with the recording
        // ended it takes no darks and asks nothing more.
        Cap->DarkPromptAnswered();
    }
}

void TForm1::DarkPromptAnswered() {
    if (dark_prompt_step_ == DarkPromptStep::UncoverCamera) {
        Recorder->DarksTaken(TickCount());
    }
    Cap->DarkPromptAnswered();
}
