#pragma once
// Deep recursion of script procedures runs on a machine stack of the engine's own, on the
// calling thread, so a script may nest calls far deeper than the caller's thread stack
// allows and the engine still stops it cleanly before that stack runs out. Scripts that
// stay shallow never leave the caller's stack.
#include <cstddef>
#include <functional>

namespace vbs::stack {

constexpr std::size_t kPrivateSize = std::size_t(64) << 20;

// Runs fn on a fresh private stack of kPrivateSize bytes and comes back; an exception fn
// throws comes out of run as it was thrown. Called while already on the private stack,
// it simply calls fn. Throws ScriptError 28 when no stack can be had.
void runOnPrivateStack(const std::function<void()>& fn);
bool onPrivateStack();
// Bytes of the private stack in use at `here` (the address of a local variable).
std::size_t privateStackUsed(const void* here);

}   // namespace vbs::stack
