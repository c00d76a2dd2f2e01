#include "DmGroupBar.h"
