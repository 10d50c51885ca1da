// HelperProcess on Windows: the setup runs here, and every lock file it
// opens is recorded so Release and Kill can close it.
#include "support/helper_process.h"

#include <vector>

#include "util/file_os.h"

namespace {

std::vector<NUFileHandle>* recording = nullptr;
NUFileHandle (*originalOpenLock)(const char*, NULockMode, int*) = nullptr;

NUFileHandle RecordingOpenLock(const char* path, NULockMode mode, int* systemError) {
    NUFileHandle handle = originalOpenLock(path, mode, systemError);
    if (handle != kInvalidFileHandle && recording) recording->push_back(handle);
    return handle;
}

}  // namespace

struct HelperProcess::Child {
    std::vector<NUFileHandle> handles;
    bool running = true;
};

HelperProcess::HelperProcess(const std::function<int()>& setup) : child_(new Child) {
    originalOpenLock = FileOs().openLock;
    FileOs().openLock = RecordingOpenLock;
    recording = &child_->handles;
    result_ = setup();
    recording = nullptr;
    FileOs().openLock = originalOpenLock;
}

HelperProcess::~HelperProcess() {
    Kill();
    delete child_;
}

bool HelperProcess::Release() {
    if (!child_->running) return false;
    for (NUFileHandle handle : child_->handles) FileOs().closeHandle(handle);
    child_->handles.clear();
    child_->running = false;
    return true;
}

bool HelperProcess::Kill() { return Release(); }
