#include "platform/Device.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace tav::platform {
namespace {

struct Registry {
    std::mutex mutex;
    std::unordered_map<std::uintptr_t, std::shared_ptr<const Device>> devices;
    std::uintptr_t lastToken = 0;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

std::uintptr_t tokenOf(DeviceHandle handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}

} // namespace

DeviceHandle registerDevice(std::shared_ptr<const Device> device) {
    if (!device)
        return nullptr;
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    const std::uintptr_t token = ++r.lastToken;
    r.devices.emplace(token, std::move(device));
    return reinterpret_cast<DeviceHandle>(token);
}

void unregisterDevice(DeviceHandle handle) {
    std::shared_ptr<const Device> released;
    {
        Registry& r = registry();
        std::lock_guard lock(r.mutex);
        auto it = r.devices.find(tokenOf(handle));
        if (it == r.devices.end())
            return;
        released = std::move(it->second);
        r.devices.erase(it);
    }
    // The device itself goes away here, outside the lock.
}

std::shared_ptr<const Device> findDevice(DeviceHandle handle) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.devices.find(tokenOf(handle));
    return it == r.devices.end() ? nullptr : it->second;
}

} // namespace tav::platform
