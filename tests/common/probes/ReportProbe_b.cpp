#include "ReportErrorDll.h"

int ReportFromProbe_b(int line) { return ReportErrorDll("./probes/Probe_b.cpp", line, "from b"); }
