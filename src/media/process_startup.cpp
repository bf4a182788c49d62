#include "media/process_startup.h"

#include <windows.h>

namespace sonidrax::media {

namespace {

constexpr const char* kMutexName = "QTMLInitTermMutex";
constexpr int32_t kCannotLock = -2093;
int32_t startCount = 0;

// Holds the named mutex for its lifetime.
class NamedLock {
public:
    NamedLock() : mutex_(CreateMutexA(nullptr, FALSE, kMutexName)) {
        // An owner that ended without releasing the mutex leaves it abandoned; the
        // count it guards is this process's own, so the lock is still ours.
        if (mutex_ == nullptr) return;
        const DWORD wait = WaitForSingleObject(mutex_, INFINITE);
        held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    }
    ~NamedLock() {
        if (held_) ReleaseMutex(mutex_);
        if (mutex_ != nullptr) CloseHandle(mutex_);
    }
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;
    bool Held() const { return held_; }

private:
    HANDLE mutex_;
    bool held_ = false;
};

}  // namespace

int32_t EnterProcessStartup(int32_t (*start)()) {
    NamedLock lock;
    if (!lock.Held()) return kCannotLock;
    if (startCount == 0) {
        const int32_t result = start();
        if (result != 0) return result;
    }
    ++startCount;
    return 0;
}

void LeaveProcessStartup(void (*stop)()) {
    NamedLock lock;
    if (!lock.Held() || startCount == 0) return;
    if (--startCount == 0) stop();
}

}  // namespace sonidrax::media
