#pragma once

// The code generator of Qt cannot read the coroutine headers; it needs only the name.
#ifdef Q_MOC_RUN
namespace corvantis {
template <typename T> class Task;
}
#else

#include <coroutine>
#include <exception>
#include <functional>
#include <optional>
#include <utility>

namespace corvantis {

// A conversation with the routers written as straight-line code that suspends at every wait
// and returns to the event loop. Lazy: it runs when awaited by another task or when started;
// destroying it (or the task that awaits it) abandons the conversation at its current wait,
// running the destructors of everything it holds.
template <typename T = void> class Task;

namespace detail {

struct TaskPromiseBase {
    std::coroutine_handle<> continuation;
    // Only for a task that was started rather than awaited.
    std::function<void()> onDone;
    std::exception_ptr error;

    struct FinalAwaiter {
        bool await_ready() const noexcept { return false; }
        template <typename Promise>
        std::coroutine_handle<> await_suspend(std::coroutine_handle<Promise> handle) noexcept
        {
            auto &promise = handle.promise();
            if (promise.continuation)
                return promise.continuation;
            // The callback may destroy this task; nothing here is touched afterwards.
            if (auto done = std::move(promise.onDone))
                done();
            return std::noop_coroutine();
        }
        void await_resume() const noexcept {}
    };

    std::suspend_always initial_suspend() const noexcept { return {}; }
    FinalAwaiter final_suspend() const noexcept { return {}; }
    void unhandled_exception() noexcept { error = std::current_exception(); }
};

template <typename T> struct TaskPromise : TaskPromiseBase {
    std::optional<T> value;
    Task<T> get_return_object();
    template <typename U> void return_value(U &&result) { value.emplace(std::forward<U>(result)); }
    T take()
    {
        if (error)
            std::rethrow_exception(error);
        return std::move(*value);
    }
};

template <> struct TaskPromise<void> : TaskPromiseBase {
    Task<void> get_return_object();
    void return_void() const noexcept {}
    void take() const
    {
        if (error)
            std::rethrow_exception(error);
    }
};

} // namespace detail

template <typename T> class [[nodiscard]] Task {
public:
    using promise_type = detail::TaskPromise<T>;
    using Handle = std::coroutine_handle<promise_type>;

    Task() = default;
    explicit Task(Handle handle) : m_handle(handle) {}
    Task(Task &&other) noexcept : m_handle(std::exchange(other.m_handle, {})) {}
    Task &operator=(Task &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_handle = std::exchange(other.m_handle, {});
        }
        return *this;
    }
    Task(const Task &) = delete;
    Task &operator=(const Task &) = delete;
    ~Task() { reset(); }

    bool valid() const { return bool(m_handle); }
    bool done() const { return !m_handle || m_handle.done(); }

    // Runs the task from here until its first wait; done is called once it has ended (not when
    // it is destroyed first). Its result is then read with result().
    void start(std::function<void()> done)
    {
        m_handle.promise().onDone = std::move(done);
        m_handle.resume();
    }
    // The value of an ended task; rethrows what it threw.
    T result() { return m_handle.promise().take(); }
    // Abandons the task at its current wait.
    void reset()
    {
        if (m_handle)
            std::exchange(m_handle, {}).destroy();
    }

    bool await_ready() const noexcept { return false; }
    std::coroutine_handle<> await_suspend(std::coroutine_handle<> awaiting) noexcept
    {
        m_handle.promise().continuation = awaiting;
        return m_handle;
    }
    T await_resume() { return m_handle.promise().take(); }

private:
    Handle m_handle;
};

namespace detail {

template <typename T> Task<T> TaskPromise<T>::get_return_object()
{
    return Task<T>(Task<T>::Handle::from_promise(*this));
}

inline Task<void> TaskPromise<void>::get_return_object()
{
    return Task<void>(Task<void>::Handle::from_promise(*this));
}

} // namespace detail

// A task that has nothing to wait for.
template <typename T> Task<T> Ready(T value)
{
    co_return value;
}

} // namespace corvantis

#endif
