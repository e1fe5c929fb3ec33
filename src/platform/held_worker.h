#pragma once

#include <functional>

class EventPump;

// Runs `work` on a thread of its own and waits for it in wait rounds, with the user's input to
// the window held: the window repaints and hears the desktop's close, which may end the process
// meanwhile, and nothing the user does can change what the work reads. What `work` throws
// reaches the caller. `work` must touch no widget.
void runHeldOnWorker(EventPump& events, const std::function<void()>& work);
