// The one RuntimeControl record of the process.
#include "runtime/core/control.h"

RuntimeControl rt_control;
