/* Feature-report driver library: one source built twice, hiddriver_2.so (the
 * cable) and hiddriver_1.so (the receiver), each with its own state. The host
 * tells each library which device to look for (Set_VIDPID), where to post its
 * connection and status messages (Open_DevMonitor), and then opens the device
 * and sends feature reports to it.
 *
 * Threads: Open_DevMonitor, Close_DevMonitor, Open_FeatureDevice and
 * Close_FeatureDevice are meant for the UI thread; SetFeature and GetFeature may
 * run on another thread at the same time. The library serialises them.
 *
 * Back-end: hidraw through hidapi, or the virtual mouse (vexel-mouse-sim) when
 * the environment variable VEXEL_VIRTUAL_MOUSE names its socket. The wire
 * framing is described in README.md beside this file. */
#ifndef VEXEL_DRIVERS_HIDDRIVER_HIDDRIVER_H_
#define VEXEL_DRIVERS_HIDDRIVER_HIDDRIVER_H_

#include <stdint.h>

#include "../post_target.h"

#ifdef __cplusplus
extern "C" {
#endif

#define VEXEL_HIDDRIVER_EXPORT __attribute__((visibility("default")))

/* The device to look for. Call before Open_DevMonitor and Open_FeatureDevice. */
VEXEL_HIDDRIVER_EXPORT void Set_VIDPID(int32_t vendor_id, int32_t product_id);

/* Starts the DeviceMonitor thread. It posts
 *   connection_message with wparam 1 when the device arrives, 0 when it leaves
 *     (lparam 0); only changes are posted, never the state found at start;
 *   status_message for every status report: wparam = 16-bit status code,
 *     lparam = 16-bit status value.
 * A second call replaces the first monitor. */
VEXEL_HIDDRIVER_EXPORT void Open_DevMonitor(const struct VexelPostTarget* window,
                                            uint32_t status_message, uint32_t connection_message);

/* Stops the monitor thread and waits for it; no post happens after it returns. */
VEXEL_HIDDRIVER_EXPORT void Close_DevMonitor(void);

/* Opens the device for feature reports. Nonzero when it was opened. Opening an
 * open device closes the old handle first. */
VEXEL_HIDDRIVER_EXPORT int32_t Open_FeatureDevice(void);

/* Closes the device; SetFeature fails until it is opened again. */
VEXEL_HIDDRIVER_EXPORT void Close_FeatureDevice(void);

/* Sends `length` bytes as one feature report; byte 0 (the report kind) is the
 * HID report id. Nonzero when the device took the whole report. */
VEXEL_HIDDRIVER_EXPORT int32_t SetFeature(const uint8_t* report, int32_t length);

/* Reads a feature report: buffer[0] holds the report id on entry. Returns the
 * number of bytes read into buffer (report id included), 0 on failure. */
VEXEL_HIDDRIVER_EXPORT int32_t GetFeature(uint8_t* buffer, int32_t length);

/* Entry point types, for hosts that resolve the functions with dlsym. */
typedef void (*Set_VIDPID_Fn)(int32_t, int32_t);
typedef void (*Open_DevMonitor_Fn)(const struct VexelPostTarget*, uint32_t, uint32_t);
typedef void (*Close_DevMonitor_Fn)(void);
typedef int32_t (*Open_FeatureDevice_Fn)(void);
typedef void (*Close_FeatureDevice_Fn)(void);
typedef int32_t (*SetFeature_Fn)(const uint8_t*, int32_t);
typedef int32_t (*GetFeature_Fn)(uint8_t*, int32_t);

#ifdef __cplusplus
}
#endif

#endif /* VEXEL_DRIVERS_HIDDRIVER_HIDDRIVER_H_ */
