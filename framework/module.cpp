// What every module shares beyond its gauge: the import table, the empty module functions
// and, on Windows, a library entry point that does nothing.
#include "gauge.h"

#include "routines.h"

import_table ImportTable = {
    .entries = {{.import_id = panel_service_import_id, .import_pointer = nullptr},
                {.import_id = 0, .import_pointer = nullptr}},
};

void GAUGE_CALL module_no_work() {}
void GAUGE_CALL module_init_no_work() {}
void GAUGE_CALL module_deinit_no_work() {}

#if defined(_WIN32)
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
#endif
