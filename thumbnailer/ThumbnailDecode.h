#pragma once
// One run of the decode thread: the head of the queue from taking it to removing it.
class MainWindow_CL;

// 0 when a movie was handled, -1 when the queue was empty.
int ThumbnailDecode(MainWindow_CL& window);
