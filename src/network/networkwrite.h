#pragma once
// Writing the network image from either network window, with the window's progress bar and
// "Стоп"; a failure goes to the operator.

class ExchangeProgress;
class WindowContext;

// Writes the image (block 17) to the device with progress showing the share of the requests
// and the step, then ends the progress. On success the reserve copy holds the image and it
// counts as unchanged; on failure the operator is told and the image keeps its edits. Returns
// the code, or -1 when the write did not start (no back-up and the operator did not choose to
// go on). The device is backed up before and read back after (WriteGuard).
int WriteNetworkWithProgress(WindowContext& main, ExchangeProgress& progress);
