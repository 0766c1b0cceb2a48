// Descriptor counting for leak tests.
#pragma once

namespace test_support {

// The number of descriptors open in this process now (from /proc/self/fd), not counting the
// one used to read that directory. Compare two counts taken while no other thread opens or
// closes descriptors, e.g. before starting a ScriptedSocketDriver and after destroying it.
int CountOpenFds();

}  // namespace test_support
