#pragma once

#include <signal.h>

namespace indicam {

// INDI's client library writes to its socket without guarding against a
// closed peer, and a write to a server that has gone raises SIGPIPE, which
// would end the whole program. Held around every send: the signal stays
// blocked on this thread and one it raised is taken back before the mask is
// restored.
class SigpipeBlock {
  public:
    SigpipeBlock();
    ~SigpipeBlock();
    SigpipeBlock(const SigpipeBlock &) = delete;
    SigpipeBlock &operator=(const SigpipeBlock &) = delete;

  private:
    sigset_t saved_;
    bool was_pending_ = false;
};

}  // namespace indicam
