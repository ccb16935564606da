#pragma once

namespace korvid::window {

// The program: the application object, the platform's seams and the main window, then the event
// loop. One option only: "--screenshot FILE" starts as usual, writes the window as a PNG file
// once it is drawn with its log, and quits. argc must outlive the call (Qt keeps it).
int RunKorvid(int& argc, char** argv);

} // namespace korvid::window
