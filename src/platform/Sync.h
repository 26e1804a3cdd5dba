#pragma once
// Wait objects shared by the link threads and the GUI thread.
#include <condition_variable>
#include <cstdint>
#include <mutex>

// Binary signal for "a reply arrived": raised by the receive thread, taken by the send thread.
// Raising it while it is raised changes nothing (it never counts above one).
class ReplySignal {
public:
    // Raises the signal; no effect when already raised.
    void release();
    // Waits up to timeout_ms (negative: no limit) for the signal and lowers it. True when taken.
    bool wait(int32_t timeout_ms);
    // Lowers the signal without waiting (drops a reply that came too late).
    void drain();
    bool is_raised() const;

private:
    mutable std::mutex m_;
    std::condition_variable cv_;
    bool raised_ = false;
};

// Manual-reset event: stays set until reset().
class Event {
public:
    void set();
    void reset();
    bool is_set() const;
    // Waits up to timeout_ms (negative: no limit) for the event. True when it is set.
    bool wait(int32_t timeout_ms) const;

private:
    mutable std::mutex m_;
    mutable std::condition_variable cv_;
    bool set_ = false;
};

// Level-triggered gate that parks a link thread while its link is stopped.
// The controller closes the gate before it asks the thread to stop and resumes it after it has
// set the thread's state to run again; the thread calls park() once it has stopped and stays
// there while the gate is closed. A resume() that comes before the park() is not lost, nor one
// followed by a close() before the parked thread has woken: resume() releases the threads parked
// at that moment, which no longer count as parked, and each of them returns from park() once.
// stop() releases a parked thread for good (program end). A new gate is closed.
class ParkGate {
public:
    void close();
    void resume();
    void stop();
    bool stopped() const;
    bool is_closed() const;
    // Called by the thread itself: blocks while the gate is closed and not stopped.
    // Returns false when the gate was stopped (the thread should leave its loop).
    bool park();
    // True while a thread is blocked in park() and not yet released by resume().
    bool is_parked() const;
    // Waits up to timeout_ms (negative: no limit) until a thread is parked. False on time-out or stop.
    bool wait_parked(int32_t timeout_ms) const;

private:
    mutable std::mutex m_;
    mutable std::condition_variable cv_;
    bool closed_ = true;
    bool stopped_ = false;
    int parked_ = 0;         // threads in park() not yet released
    uint64_t released_ = 0;  // resume() calls so far
};

// Tries to run the calling thread under SCHED_FIFO (the link threads are time-critical).
// Returns false, changing nothing, when the system does not allow it (EPERM and the like).
bool Thread_try_time_critical();
