// What a running calculation tells its caller (the message-window lines, progress) and
// asks it (whether to abort). The GUI shows a message window, the command line a
// progress bar.
#pragma once

#include <string>

namespace keltora {

// All calls come from the thread that runs the calculation, in the order of the serial
// search, whatever the number of worker threads.
class CalculationObserver {
  public:
    virtual ~CalculationObserver() = default;

    // Line 1..8 of the message window now reads `text` (empty = cleared). Lines 1 to 3
    // show the grid, lines 4 to 7 the last stored mass and the grid minimum. The lines of
    // a stored mass are sent once per centre, for the last mass stored at that centre:
    // the window is repainted only between centres, so this is all a user can see.
    virtual void setLine(int line, const std::string& text)
    {
        (void)line;
        (void)text;
    }

    // A grid computation begins (again, when the grid was extended): grid index 0..3, the
    // number of grids of the run and the number of centres of this computation.
    virtual void gridStarted(int grid, int grids, long long centres)
    {
        (void)grid;
        (void)grids;
        (void)centres;
    }

    // `done` of `total` centres of the current grid computation are finished.
    virtual void centreDone(long long done, long long total)
    {
        (void)done;
        (void)total;
    }

    // Asked once per centre, before the centre's masses are stored. Returning true ends
    // the search there: the results-valid flag becomes -1.
    virtual bool abortRequested() { return false; }
};

} // namespace keltora
