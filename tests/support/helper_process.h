// HelperProcess: a forked process that takes a resource (a lock, say) for a
// test and holds it until the test releases or kills it. Windows cannot fork:
// there the setup runs in the test's own process and the lock files it opens
// are held as handles apart from the test's, which sharing modes treat
// exactly like another process's; Kill closes them as the process's end
// would.
#pragma once

#include <functional>

class HelperProcess {
public:
    // Forks. The child runs setup, reports its result to the parent and then
    // holds everything it opened until Release or Kill.
    explicit HelperProcess(const std::function<int()>& setup);
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    // setup's result in the child; kNoAnswer when the child did not answer
    // within ten seconds.
    int result() const { return result_; }
    // Lets the child exit normally and reaps it; true when it exited with 0.
    bool Release();
    // Ends the child with SIGKILL and reaps it; true when it died by it.
    bool Kill();

    static constexpr int kNoAnswer = -1000000;

private:
    struct Child;  // the platform's record of the holder
    Child* child_ = nullptr;
    int result_ = kNoAnswer;
};
