#include "saver_effect.h"

HostState host;
