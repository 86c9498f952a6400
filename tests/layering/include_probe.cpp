// Compiled inside one layer's target with the include under test.
#include PROBE_HEADER
