// Dark frames: the number of dark exposures the observer sets, and the
// prompts the camera thread asks for around them.
#include "app/dark_prompt_window.h"
#include "app/main_window.h"
#include "platform/tick_count.h"
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
    Form3->Ask(step == DarkPromptStep::CoverCamera ? texts_.MSG_COVERCAMERA
                                                   : texts_.MSG_UNCOVERCAMERA);
}

void TForm1::DarkPromptAnswered() {
    if (dark_prompt_step_ == DarkPromptStep::UncoverCamera) {
        Recorder->DarksTaken(TickCount());
    }
    Cap->DarkPromptAnswered();
}
