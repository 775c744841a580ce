// The Windows interfaces the gauges call: the real ones on Windows, our substitute elsewhere.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#else
#include "resources.h"
#include "file_mappings.h"
#include "user_interface.h"
#endif
