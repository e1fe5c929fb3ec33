#pragma once

namespace engine {

// How often the calling thread has gone to sleep waiting for something. A read answered from
// memory never sleeps; one that reads a disk or asks a server does. Being preempted does not
// count, so a busy machine does not look like a slow disk.
long sleepsSoFar();

} // namespace engine
