#include "platform/Sync.h"

#include <chrono>
#include <pthread.h>
#include <sched.h>

namespace {

// Waits on cv until pred() holds; timeout_ms < 0 waits without limit. Returns pred().
template <class Lock, class Pred>
bool wait_for_ms(std::condition_variable& cv, Lock& lock, int32_t timeout_ms, Pred pred)
{
    if (timeout_ms < 0) {
        cv.wait(lock, pred);
        return true;
    }
    return cv.wait_for(lock, std::chrono::milliseconds(timeout_ms), pred);
}

constexpr int kTimeCriticalPriority = 10;

}  // namespace

void ReplySignal::release()
{
    {
        std::lock_guard<std::mutex> lock(m_);
        if (raised_)
            return;
        raised_ = true;
    }
    cv_.notify_one();
}

bool ReplySignal::wait(int32_t timeout_ms)
{
    std::unique_lock<std::mutex> lock(m_);
    if (!wait_for_ms(cv_, lock, timeout_ms, [this] { return raised_; }))
        return false;
    raised_ = false;
    return true;
}

void ReplySignal::drain()
{
    std::lock_guard<std::mutex> lock(m_);
    raised_ = false;
}

bool ReplySignal::is_raised() const
{
    std::lock_guard<std::mutex> lock(m_);
    return raised_;
}

void Event::set()
{
    {
        std::lock_guard<std::mutex> lock(m_);
        set_ = true;
    }
    cv_.notify_all();
}

void Event::reset()
{
    std::lock_guard<std::mutex> lock(m_);
    set_ = false;
}

bool Event::is_set() const
{
    std::lock_guard<std::mutex> lock(m_);
    return set_;
}

bool Event::wait(int32_t timeout_ms) const
{
    std::unique_lock<std::mutex> lock(m_);
    return wait_for_ms(cv_, lock, timeout_ms, [this] { return set_; });
}

void ParkGate::close()
{
    std::lock_guard<std::mutex> lock(m_);
    closed_ = true;
}

void ParkGate::resume()
{
    {
        std::lock_guard<std::mutex> lock(m_);
        closed_ = false;
        ++released_;
        parked_ = 0;
    }
    cv_.notify_all();
}

void ParkGate::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_);
        stopped_ = true;
    }
    cv_.notify_all();
}

bool ParkGate::stopped() const
{
    std::lock_guard<std::mutex> lock(m_);
    return stopped_;
}

bool ParkGate::is_closed() const
{
    std::lock_guard<std::mutex> lock(m_);
    return closed_;
}

bool ParkGate::park()
{
    std::unique_lock<std::mutex> lock(m_);
    if (closed_ && !stopped_) {
        const uint64_t round = released_;
        ++parked_;
        cv_.notify_all();  // wait_parked()
        // Released by a resume() even when the gate was closed again before this thread woke.
        cv_.wait(lock, [this, round] { return released_ != round || stopped_; });
        if (released_ == round)
            --parked_;
    }
    return !stopped_;
}

bool ParkGate::is_parked() const
{
    std::lock_guard<std::mutex> lock(m_);
    return parked_ > 0;
}

bool ParkGate::wait_parked(int32_t timeout_ms) const
{
    std::unique_lock<std::mutex> lock(m_);
    wait_for_ms(cv_, lock, timeout_ms, [this] { return parked_ > 0 || stopped_; });
    return parked_ > 0 && !stopped_;
}

bool Thread_try_time_critical()
{
    const int lo = sched_get_priority_min(SCHED_FIFO);
    const int hi = sched_get_priority_max(SCHED_FIFO);
    if (lo < 0 || hi < lo)
        return false;
    sched_param param{};
    param.sched_priority = lo + kTimeCriticalPriority <= hi ? lo + kTimeCriticalPriority : hi;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
}
