#pragma once

// The program's entry: checks for a display, sets the application title,
// creates the four windows in order, shows the main window and runs the loop.
int Project1Main(int argc, char **argv);
