#include "ReportErrorDll.h"

int ReportFromProbe_a(int line) { return ReportErrorDll("./probes/Probe_a.cpp", line, "from a"); }
