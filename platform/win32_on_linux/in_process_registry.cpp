#include "platform/win32_on_linux/in_process_registry.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/win32_on_linux/in_process_device.h"
#include "platform/wire/device_path.h"

namespace platform {
namespace {

struct Registration {
    DeviceName name = {};
    wire::DeviceHandler* handler = nullptr;
};

// A test registers one or two fake drivers; a fixed table keeps this free of the heap.
constexpr size_t kMaxInProcessDevices = 16;

std::mutex registryMutex;
Registration registrations[kMaxInProcessDevices];

Registration* FindRegistration(const char* name) {
    for (Registration& registration : registrations) {
        if (registration.handler != nullptr && std::strcmp(registration.name, name) == 0) {
            return &registration;
        }
    }
    return nullptr;
}

}  // namespace

void RegisterInProcessDevice(const char* name, wire::DeviceHandler* handler) {
    // A name no device path can spell could never be opened; there is nothing to register.
    if (!IsDeviceName(name)) return;
    std::lock_guard<std::mutex> lock(registryMutex);
    Registration* registration = FindRegistration(name);
    if (registration == nullptr && handler != nullptr) {
        for (Registration& candidate : registrations) {
            if (candidate.handler == nullptr) {
                registration = &candidate;
                std::memcpy(registration->name, name, std::strlen(name) + 1);
                break;
            }
        }
        if (registration == nullptr) {
            // Only tests register devices; silently dropping one would show up much later as a
            // puzzling "device not found".
            std::fprintf(stderr, "RegisterInProcessDevice: more than %zu devices\n",
                         kMaxInProcessDevices);
            std::abort();
        }
    }
    if (registration != nullptr) registration->handler = handler;
}

namespace device {

wire::DeviceHandler* FindInProcessDevice(const char* name) {
    std::lock_guard<std::mutex> lock(registryMutex);
    Registration* registration = FindRegistration(name);
    return registration == nullptr ? nullptr : registration->handler;
}

}  // namespace device
}  // namespace platform
