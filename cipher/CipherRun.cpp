#include "CipherRun.h"
