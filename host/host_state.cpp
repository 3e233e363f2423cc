#include "host_state.h"

HostState host;
