#pragma once

// Ctrl+C, `kill` and a closed terminal (SIGINT, SIGTERM, SIGHUP) turned into
// a request the program answers in its own time: the handler only remembers
// the signal, and the program asks for it, so that it can finish its files
// before it ends. Only the first signal counts; later ones change nothing.
void CatchStopSignals();

// The number of the first stop signal caught, or 0.
int CaughtStopSignal();
