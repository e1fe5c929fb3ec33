#include "platform/held_worker.h"

#include "platform/event_pump.h"

#include <chrono>
#include <future>

void runHeldOnWorker(EventPump& events, const std::function<void()>& work)
{
    struct Held
    {
        explicit Held(EventPump& events) : events(events) { events.holdInput(); }
        ~Held() { events.releaseInput(); }
        EventPump& events;
    } held(events);
    std::future<void> done = std::async(std::launch::async, work);
    while (done.wait_for(std::chrono::milliseconds(EventPump::kWaitRoundMs)) !=
           std::future_status::ready)
        events.processWaitRound();
    done.get();
}
