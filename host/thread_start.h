// Starting helper threads where the system may have none left to give (its
// memory or its threads used up): a start that fails is told to the caller,
// which leaves the work to the threads that did start or does it itself,
// rather than ending the program.
#pragma once

#include <new>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace lumavox_host {

// True when a thread start is to fail as the test asked (see below).
bool ThreadStartFailsForTest();

// Starts a thread of `function(arguments...)` into `thread`, which holds
// none; false, with nothing started, when no thread can be made.
template <typename... Arguments>
bool StartThread(std::thread& thread, Arguments&&... arguments) {
  if (ThreadStartFailsForTest()) return false;
  try {
    thread = std::thread(std::forward<Arguments>(arguments)...);
    return true;
  } catch (const std::system_error&) {
  } catch (const std::bad_alloc&) {
  }
  return false;
}

// The same at the end of `threads`, which is left as it was when none starts.
template <typename... Arguments>
bool StartThread(std::vector<std::thread>& threads, Arguments&&... arguments) {
  try {
    threads.reserve(threads.size() + 1);  // room first: a started thread is never dropped
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::thread thread;
  if (!StartThread(thread, std::forward<Arguments>(arguments)...)) return false;
  threads.push_back(std::move(thread));
  return true;
}

// For tests: the start after the next `starts` ones fails, as when the
// system has no room for another thread.
void FailThreadStartAfter(int starts);

}  // namespace lumavox_host
