#pragma once
// Writing the network image from either network window, with the window's progress bar and
// "Стоп"; a failure goes to the operator.

class ExchangeProgress;
class WindowContext;

// Writes the image (block 17) through the one write path. Returns 0 when the device holds the
// image afterwards, the exchange's code when it failed, -1 when the write did not start.
int WriteNetworkWithProgress(WindowContext& main, ExchangeProgress& progress);
