#include "common.h"

std::string g_loglevel;
