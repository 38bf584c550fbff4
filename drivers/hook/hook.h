/* The global hook library, Hook.so beside the program. It captures key and
 * mouse-button presses and releases anywhere on the X display ($DISPLAY), from
 * XInput2 raw events read by a thread of its own with its own connection, and
 * posts each one as message 1034 to the window given to installhook:
 *
 *   key pressed / released           wparam virtual-key code, lparam 0 / 1
 *   left button down / up            wparam 513 / 514, lparam 0
 *   right button down / up           wparam 516 / 517, lparam 0
 *   middle button down / up          wparam 519 / 520, lparam 0
 *   side button down / up            wparam 523 / 524, lparam 1 for the
 *                                    forward button (X button 9), 2 for the
 *                                    back button (X button 8)
 *   wheel, only with mousewheelenable(1)
 *                                    wparam 522 vertical / 526 horizontal,
 *                                    lparam +120 (up, right) or -120
 *
 * Keys are reported while enablehook(1) is in force, buttons and the wheel
 * while enablemousehook(1) is. Key reports are off after each installhook and
 * removehook, button reports after each installmousehook and removemousehook,
 * and both once no window is left.
 * Button reports go to the window given to installmousehook, or to the
 * installhook window when installmousehook was not called. A held key is one
 * press and one release: auto-repeat is never reported.
 *
 * Nothing is selected on the display, and no thread runs, while no window is
 * installed. Every entry point may be called from any thread, including from
 * inside the post function; after removehook / removemousehook returns on
 * another thread, nothing more is posted to the removed window. */
#ifndef VEXEL_DRIVERS_HOOK_HOOK_H_
#define VEXEL_DRIVERS_HOOK_HOOK_H_

#include <stdint.h>

#include "../post_target.h"

#ifdef __cplusplus
extern "C" {
#endif

#define VEXEL_HOOK_EXPORT __attribute__((visibility("default")))

/* Nonzero when capture runs: 0 for a null window, or when the display cannot
 * be opened or has no XInput 2. A second call replaces the window. */
VEXEL_HOOK_EXPORT int32_t installmousehook(const struct VexelPostTarget* window);
/* Nonzero when a window was installed. Also switches button reports off. */
VEXEL_HOOK_EXPORT int32_t removemousehook(void);
/* Switches button (and wheel) reports on (nonzero) or off. Always nonzero. */
VEXEL_HOOK_EXPORT int32_t enablemousehook(int32_t enable);

VEXEL_HOOK_EXPORT int32_t installhook(const struct VexelPostTarget* window);
/* Also switches key reports off. */
VEXEL_HOOK_EXPORT int32_t removehook(void);
VEXEL_HOOK_EXPORT int32_t enablehook(int32_t enable);

/* Switches wheel reports on (nonzero) or off; off at load. Always nonzero. */
VEXEL_HOOK_EXPORT int32_t mousewheelenable(int32_t enable);

#ifdef __cplusplus
}
#endif

#endif /* VEXEL_DRIVERS_HOOK_HOOK_H_ */
