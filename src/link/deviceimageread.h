#pragma once
// Reading a device into a separate device image: the configuration, every fitted module's
// records and the network image, with the same requests as the whole-device read, but nothing
// goes into the model, its reserve copies or its change flags. Comparing, the check after a
// write and the back-up before one all start here.

#include "model/deviceimage.h"

#include <functional>

class ExchangeEngine;

// Reads device `device` (0-based) whole. The image carries no labels (a device has none).
// Returns 0, or the code of the request that failed (the image is then incomplete).
int ReadDeviceImage(ExchangeEngine& port, int device, DeviceImage& image,
                    const std::function<void()>& step = {});

// The two halves of that read: the configuration (a fresh image without labels), then the
// fitted modules' records and the network image into the same image.
int ReadDeviceConfig(ExchangeEngine& port, int device, DeviceImage& image);
int ReadDeviceRecords(ExchangeEngine& port, int device, DeviceImage& image,
                      const std::function<void()>& step = {});

// Reads back what a write sent: the scope's module groups and network image, taken into
// `image` over what it held (the caller starts from what was written, so untouched parts
// compare equal). No configuration request: the write has just checked it.
int ReadBackScope(ExchangeEngine& port, int device, const WriteScope& scope, DeviceImage& image);
