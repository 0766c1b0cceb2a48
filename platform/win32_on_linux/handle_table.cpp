#include "platform/win32_on_linux/handle_table.h"

#include <cstring>
#include <mutex>

#include "platform/win32_on_linux/in_process_device.h"

namespace platform {
namespace device {
namespace {

// HANDLE value layout: bits 0-1 zero (like Win32 handles, and so never all ones), bits 2-11 the
// record index + 1 (never zero, so never NULL), bits 12-31 the record's generation.
constexpr unsigned kIndexShift = 2;
constexpr uintptr_t kIndexMask = 0x3FF;
constexpr unsigned kGenerationShift = 12;
constexpr uint32_t kGenerationMask = 0xFFFFF;
static_assert(kMaxOpenHandles < kIndexMask, "record indexes must fit their bits");

std::mutex tableMutex;
HandleRecord records[kMaxOpenHandles];

uint32_t NextGeneration(uint32_t generation) {
    uint32_t next = (generation + 1) & kGenerationMask;
    return next == 0 ? 1 : next;
}

}  // namespace

HandleRecord* AcquireHandleRecord(HandleKind kind, const char* name) {
    std::lock_guard<std::mutex> lock(tableMutex);
    for (HandleRecord& record : records) {
        if (record.kind != HandleKind::kFree) continue;
        record.generation = NextGeneration(record.generation);
        record.kind = kind;
        record.fd = -1;
        record.broken = false;
        record.asked = false;
        std::strncpy(record.deviceName, name, sizeof(record.deviceName) - 1);
        record.deviceName[sizeof(record.deviceName) - 1] = '\0';
        return &record;
    }
    return nullptr;
}

void ReleaseHandleRecord(HandleRecord* record) {
    std::lock_guard<std::mutex> lock(tableMutex);
    record->kind = HandleKind::kFree;
    record->fd = -1;
}

HANDLE HandleOf(const HandleRecord& record) {
    uintptr_t index = static_cast<uintptr_t>(&record - records);
    uintptr_t value = (static_cast<uintptr_t>(record.generation) << kGenerationShift) |
                      ((index + 1) << kIndexShift);
    return reinterpret_cast<HANDLE>(value);
}

namespace {

// The record `handle` names, open or not; nullptr when the value cannot be one of ours.
HandleRecord* DecodeHandle(HANDLE handle) {
    uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    if ((value & ((uintptr_t{1} << kIndexShift) - 1)) != 0) return nullptr;
    uintptr_t indexPlusOne = (value >> kIndexShift) & kIndexMask;
    if (indexPlusOne == 0 || indexPlusOne > kMaxOpenHandles) return nullptr;
    uintptr_t generation = value >> kGenerationShift;
    HandleRecord& record = records[indexPlusOne - 1];
    if (record.kind == HandleKind::kFree || record.generation != generation) return nullptr;
    return &record;
}

}  // namespace

HandleRecord* FindHandleRecord(HANDLE handle) {
    std::lock_guard<std::mutex> lock(tableMutex);
    return DecodeHandle(handle);
}

bool CloseHandleRecord(HANDLE handle, int* fd) {
    std::lock_guard<std::mutex> lock(tableMutex);
    HandleRecord* record = DecodeHandle(handle);
    if (record == nullptr) return false;
    *fd = record->fd;
    record->kind = HandleKind::kFree;
    record->fd = -1;
    return true;
}

int CountOpenHandleRecords() {
    std::lock_guard<std::mutex> lock(tableMutex);
    int open = 0;
    for (const HandleRecord& record : records) {
        if (record.kind != HandleKind::kFree) ++open;
    }
    return open;
}

}  // namespace device

int OpenDeviceHandleCount() {
    return device::CountOpenHandleRecords();
}

}  // namespace platform
