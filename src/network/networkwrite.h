#pragma once
// Writing the network image from either network window: the progress bar steps once per send
// and a failure goes to the operator.

class LumMain;
class QProgressBar;

// Writes the image (block 17) to the device with bar showing the progress in steps of step
// out of 100, then hides the bar. On success the reserve copy holds the image and it counts as
// unchanged; on failure the operator is told and the image keeps its edits. Returns the code,
// or -1 when the write did not start (no back-up and the operator did not choose to go on).
// The device is backed up before and read back after (WriteGuard).
int WriteNetworkWithProgress(LumMain& main, QProgressBar* bar, int step);
