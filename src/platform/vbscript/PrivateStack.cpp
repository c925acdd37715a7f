#include "PrivateStack.h"

#include "ScriptError.h"

#include <exception>
#include <utility>
#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define VBS_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VBS_ASAN 1
#endif
#endif

#ifdef VBS_ASAN
#include <sanitizer/asan_interface.h>
#include <sanitizer/common_interface_defs.h>
#endif

namespace vbs::stack {

namespace {

// One private stack at most per thread: calls made on it never switch again.
struct State {
    char* top = nullptr;   // highest address of the stack in use; null when not on it
    bool entered = false;   // the private stack was entered: getcontext has returned twice
    ucontext_t caller {};
    ucontext_t callee {};
    const std::function<void()>* fn = nullptr;
    std::exception_ptr error;
#ifdef VBS_ASAN
    void* fakeStack = nullptr;
    const void* callerBottom = nullptr;
    std::size_t callerSize = 0;
#endif
};

thread_local State t_state;

void entry()
{
    State& st = t_state;
#ifdef VBS_ASAN
    __sanitizer_finish_switch_fiber(nullptr, &st.callerBottom, &st.callerSize);
#endif
    try {
        (*st.fn)();
    } catch (...) {
        st.error = std::current_exception();
    }
#ifdef VBS_ASAN
    // This stack is left for good: its fake frames go with it.
    __sanitizer_start_switch_fiber(nullptr, st.callerBottom, st.callerSize);
#endif
    // Returning resumes the caller through uc_link.
}

// The mapping: a guard page below the stack, so running off its end faults at once
// rather than writing over other memory.
struct Mapping {
    Mapping()
    {
        guard = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        size = kPrivateSize + guard;
        void* m = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK,
                       -1, 0);
        if (m == MAP_FAILED) throw ScriptError::limitStop(err::kOutOfStack);
        base = static_cast<char*>(m);
        mprotect(base, guard, PROT_NONE);
    }
    ~Mapping()
    {
#ifdef VBS_ASAN
        // Frames left poisoned must not follow the addresses into their next use.
        __asan_unpoison_memory_region(base + guard, kPrivateSize);
#endif
        munmap(base, size);
    }
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;

    char* base = nullptr;
    std::size_t guard = 0;
    std::size_t size = 0;
};

}   // namespace

bool onPrivateStack() { return t_state.top != nullptr; }

std::size_t privateStackUsed(const void* here)
{
    const char* p = static_cast<const char*>(here);
    return t_state.top && p < t_state.top ? static_cast<std::size_t>(t_state.top - p) : 0;
}

void runOnPrivateStack(const std::function<void()>& fn)
{
    State& st = t_state;
    if (st.top) {
        fn();
        return;
    }
    Mapping map;
    if (getcontext(&st.callee) != 0) throw ScriptError::limitStop(err::kOutOfStack);
    st.callee.uc_stack.ss_sp = map.base + map.guard;
    st.callee.uc_stack.ss_size = kPrivateSize;
    st.callee.uc_link = &st.caller;
    makecontext(&st.callee, entry, 0);
    st.fn = &fn;
    st.error = nullptr;
    st.top = map.base + map.size;
    st.entered = false;
    // getcontext and setcontext rather than swapcontext: the address sanitizer warns of
    // the latter however well the switch is announced to it. The state lives in t_state,
    // not in locals, as getcontext returns a second time when the private stack is done.
#ifdef VBS_ASAN
    __sanitizer_start_switch_fiber(&st.fakeStack, map.base + map.guard, kPrivateSize);
#endif
    bool failed = getcontext(&st.caller) != 0;
    if (!failed && !st.entered) {
        st.entered = true;
        setcontext(&st.callee);
        failed = true;   // setcontext came back: it could not switch
    }
#ifdef VBS_ASAN
    __sanitizer_finish_switch_fiber(st.fakeStack, nullptr, nullptr);
#endif
    st.top = nullptr;
    st.fn = nullptr;
    if (failed) throw ScriptError::limitStop(err::kOutOfStack);
    if (std::exception_ptr e = std::exchange(st.error, nullptr)) std::rethrow_exception(e);
}

}   // namespace vbs::stack
