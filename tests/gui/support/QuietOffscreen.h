#pragma once
// Drops the offscreen platform's notes that it lacks window-manager features
// (size hints, reparenting): they say nothing about the code under test and
// would bury the test's own output. Call from initTestCase, after the test
// framework has installed its own message handler, which it then forwards to.

namespace dovra::test {
void quietOffscreen();
}
