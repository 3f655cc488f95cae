// Until the movie-item commands arrive, no command changes a movie: the walk stops at the
// first movie it would apply. The item commands replace this file.
#include "app/shell/MainWindow.h"

int MainWindow_CL::ApplyItemCommand(ItemActionContext&, ItemMovieData_CL&) { return 0; }
