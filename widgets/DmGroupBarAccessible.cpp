#include "DmGroupBarAccessible.h"
