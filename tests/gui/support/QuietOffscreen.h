#pragma once
// The offscreen platform's notes on missing window-manager features are
// dropped from the test output. Call from initTestCase, after the test
// framework has installed its own message handler, which it then forwards to.

#include "screen/OffscreenMessages.h"

namespace dovra::test {
inline void quietOffscreen() {
    gui::quietOffscreenMessages();
}
} // namespace dovra::test
