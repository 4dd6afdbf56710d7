// Devices that something is drawn on (a printer page, an image, the screen) as far as callers
// need to know their resolution, and the handles that stand for them across the C interfaces.
#pragma once

#include <memory>

// The registry is in the shared library libtavdevices (tavdevices.dll on Windows), one per
// process for every library.
#if defined(_WIN32) && defined(tavdevices_EXPORTS)
#define TAV_DEVICES_API __declspec(dllexport)
#elif defined(_WIN32)
#define TAV_DEVICES_API __declspec(dllimport)
#else
#define TAV_DEVICES_API __attribute__((visibility("default")))
#endif

namespace tav::platform {

class Device {
public:
    virtual ~Device() = default;
    // Dots per inch across and down, as the device reports them; 0 when it cannot tell.
    virtual int dpiX() const = 0;
    virtual int dpiY() const = 0;
};

// The opaque value a caller holds for a device, where a Windows caller would hold a device
// context. It is a token looked up in a registry, never an address: an unknown, stale or
// made-up handle is simply not found and is never dereferenced. The null handle is never
// registered.
using DeviceHandle = void*;

// Registers `device` and returns its handle (a new one on every call, never reused while the
// process runs). Thread-safe. A null device is not registered and gives the null handle.
TAV_DEVICES_API DeviceHandle registerDevice(std::shared_ptr<const Device> device);

// Forgets the device behind `handle`; unknown handles are ignored. A query running at the same
// time keeps the device alive until it is done.
TAV_DEVICES_API void unregisterDevice(DeviceHandle handle);

// The device behind `handle`, or null when the handle is not registered.
TAV_DEVICES_API std::shared_ptr<const Device> findDevice(DeviceHandle handle);

// Keeps a device registered for as long as it lives.
class DeviceRegistration {
public:
    explicit DeviceRegistration(std::shared_ptr<const Device> device)
        : m_handle(registerDevice(std::move(device))) {}
    ~DeviceRegistration() { unregisterDevice(m_handle); }
    DeviceRegistration(const DeviceRegistration&) = delete;
    DeviceRegistration& operator=(const DeviceRegistration&) = delete;
    DeviceHandle handle() const { return m_handle; }

private:
    DeviceHandle m_handle;
};

// The screen's resolution in dots per inch, the same across and down. On Linux there is no
// single answer, so it is 96 unless the environment variable TAV_SCREEN_DPI holds another
// positive decimal integer (digits only, at most INT_MAX); anything else there is ignored.
// Read afresh on every call.
int screenDpi();

} // namespace tav::platform
