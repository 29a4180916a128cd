// Every function the host calls runs its body through CallFromHost, so that
// no exception crosses into the host: the missing-suite error thrown by
// SuiteHandler becomes the function's result. Objects on the body's stack
// (suite handlers, handle locks) are undone on the way out.
#pragma once

#include <new>

#include "platform/aesdk/ae_errors.h"

template <typename Body>
A_Err CallFromHost(Body&& body) noexcept {
  try {
    return body();
  } catch (A_Err err) {
    return err;
  } catch (const std::bad_alloc&) {
    return A_Err_ALLOC;
  } catch (...) {
    return A_Err_GENERIC;
  }
}
