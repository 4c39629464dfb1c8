#pragma once

// Raises the calling thread's scheduling priority as far as the system lets an
// ordinary user go; a refusal is not an error (the thread runs at normal
// priority then).
void RaiseCurrentThreadPriority();
