#pragma once
// Drops the offscreen platform's notes on the window-manager features it
// lacks (size hints, reparenting) and on a missing runtime folder: they say
// nothing about the pictures drawn there and would bury a tool's or a test's
// own output. Every other message goes on to the handler installed before
// (call it after a test framework has installed its own).

namespace dovra::gui {
void quietOffscreenMessages();
}
