#pragma once

// Lets the window system process the events that wait, so that timers and window events run in
// the middle of a long operation. Does nothing before the application object exists.
void ProcessPendingEvents();
