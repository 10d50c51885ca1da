// A local TCP port that nothing listens on, for connection failures.
#pragma once

// A port of 127.0.0.1 that was free a moment ago (bound, then released);
// 0 when none could be had.
int ClosedLocalPort();
