#include "base/StopSignalMask.h"

#include <pthread.h>

StopSignalMask::StopSignalMask() {
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, &previous_);
}

StopSignalMask::~StopSignalMask() {
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}
