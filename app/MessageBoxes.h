#pragma once
// The desktop program's message service: every message a plain box with one
// OK button over the active window.

// Makes the message boxes the service in use, for the rest of the program.
void UseMessageBoxes();
