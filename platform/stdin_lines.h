#pragma once

#include <string>

// Lines typed on, or piped to, standard input, taken without waiting, so
// that a program waiting for the observer's answer keeps handling its
// timers and signals meanwhile. (On Windows a take waits for the line.)
class StdinLines {
  public:
    enum class Result {
        Line,       // `line` holds the next line, without its line end
        NoLineYet,  // nothing complete has arrived yet
        End,        // standard input has ended (or failed) and no line is left
    };
    Result Take(std::string &line);

  private:
    std::string pending_;  // read but not yet taken
    bool ended_ = false;
};
