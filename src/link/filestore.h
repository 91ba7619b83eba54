#pragma once
// The file layer lives beside the engine, so that programs without windows (lum08-cli, the
// device history) save through it too; the windows keep including it from here.
#include "link/filestore.h"
