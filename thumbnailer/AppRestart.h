#pragma once
// Starts a new instance of this program with the same name and data folder and "-restart",
// so that it loads the saved queue. The caller then makes the running instance end.
void AppRestart();
