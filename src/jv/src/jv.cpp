#include "zephalon/jv/jv.h"
