/* The "window handle" the program hands to the driver and hook libraries: a
 * post function and its context. The libraries call post(ctx, message, wparam,
 * lparam) from threads of their own, so post must be safe to call from any
 * thread and must not block for long; the program delivers the message on its
 * UI thread. The libraries copy the structure; ctx must stay valid until the
 * library has been told to stop posting (Close_DevMonitor, removehook, ...). */
#ifndef VEXEL_DRIVERS_POST_TARGET_H_
#define VEXEL_DRIVERS_POST_TARGET_H_

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

struct VexelPostTarget {
  void (*post)(void* ctx, uint32_t message, uintptr_t wparam, intptr_t lparam);
  void* ctx;
};

#ifdef __cplusplus
}
#endif

#endif /* VEXEL_DRIVERS_POST_TARGET_H_ */
