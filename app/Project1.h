#pragma once

// The program's entry: checks for a display, sets the application title,
// creates the four windows in order, shows the main window and runs the loop.
int Project1Main(int argc, char **argv);

// Loads Qt's own Russian texts (the buttons of message boxes, the standard
// dialogs) into the running application, whatever the user's locale: every
// text of the program is Russian. False when the translation is not
// installed; the toolkit's texts then stay English.
bool loadQtRussian();
